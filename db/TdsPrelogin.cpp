#include "db/TdsPrelogin.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QTcpSocket>

namespace qvl {

namespace {

constexpr char kPrelogin = 0x12;
constexpr char kEncryptionToken = 0x01;
constexpr uchar kEncryptNotSupported = 0x02;

// PRELOGIN with the options VERSION and ENCRYPTION (on), as a client asking for encryption.
QByteArray preloginPacket()
{
    QByteArray payload;
    const auto option = [&payload](char token, quint16 offset, quint16 length) {
        payload += token;
        payload += char(offset >> 8);
        payload += char(offset & 0xFF);
        payload += char(length >> 8);
        payload += char(length & 0xFF);
    };
    option(0x00, 11, 6);               // VERSION
    option(kEncryptionToken, 17, 1);   // ENCRYPTION
    payload += char(0xFF);             // terminator
    payload += QByteArray(6, '\0');     // no client version: a question, not a login
    payload += char(0x01);             // ENCRYPT_ON
    QByteArray packet;
    const quint16 length = quint16(payload.size() + 8);
    packet += kPrelogin;
    packet += char(0x01); // end of message
    packet += char(length >> 8);
    packet += char(length & 0xFF);
    packet += QByteArray(4, '\0'); // SPID, packet number, window
    packet[6] = 1;
    return packet + payload;
}

} // namespace

std::optional<bool> serverOffersEncryption(const QString &host, int port, int timeoutMilliseconds)
{
    if (host.isEmpty() || port <= 0)
        return std::nullopt;
    const QDeadlineTimer deadline(timeoutMilliseconds);
    QTcpSocket socket;
    socket.connectToHost(host, quint16(port));
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return std::nullopt;
    socket.write(preloginPacket());
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return std::nullopt;
    QByteArray reply;
    while (!deadline.hasExpired()) {
        if (reply.size() >= 8) {
            const int length = (uchar(reply.at(2)) << 8) | uchar(reply.at(3));
            if (length < 8 || reply.at(0) != 0x04)
                return std::nullopt;
            if (reply.size() >= length)
                break;
        }
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
        reply += socket.readAll();
    }
    if (reply.size() < 8)
        return std::nullopt;
    const QByteArray payload = reply.mid(8);
    for (qsizetype i = 0; i + 5 <= payload.size() && uchar(payload.at(i)) != 0xFF; i += 5) {
        if (payload.at(i) != kEncryptionToken)
            continue;
        const int offset = (uchar(payload.at(i + 1)) << 8) | uchar(payload.at(i + 2));
        if (offset >= payload.size())
            return std::nullopt;
        return uchar(payload.at(offset)) != kEncryptNotSupported;
    }
    return std::nullopt;
}

} // namespace qvl
