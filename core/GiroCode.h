#pragma once
// The EPC QR code ("GiroCode", EPC069-12) of a transfer request: the text a banking app
// reads to fill in a SEPA credit transfer to the association — service tag BCD, version
// 002, UTF-8, SCT, BIC, name, IBAN, the amount in euro and the RF creditor reference.

#include "core/Money.h"

#include <QString>

namespace qvl {

struct GiroCodeTransfer {
    QString bic;       // optional in version 002
    QString name;      // the association (up to 70 characters)
    QString iban;
    Money amount;      // 0,01 to 999.999.999,99 €
    QString reference; // the structured creditor reference ("RF401001"), up to 35 characters
};

// The payload, lines separated by LF; empty when the transfer cannot be one (no valid
// IBAN, no name, an amount out of range).
QString giroCodePayload(const GiroCodeTransfer &transfer);

} // namespace qvl
