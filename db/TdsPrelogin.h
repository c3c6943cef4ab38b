#pragma once
// What a SQL Server answers to the first message of a connection (PRELOGIN) about
// encryption. FreeTDS tells "Adaptive Server connection failed" both when a server offers
// no encryption and when the TLS handshake with one that does fails; asked again, the
// server's own answer tells the two apart.

#include <QString>
#include <optional>

namespace qvl {

// True when the server offers or requires encryption, false when it supports none;
// nothing when it cannot be asked within the time (not reached, no answer, no TDS).
std::optional<bool> serverOffersEncryption(const QString &host, int port, int timeoutMilliseconds);

} // namespace qvl
