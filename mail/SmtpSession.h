#pragma once
// One connection to the mail server, through libcurl's SMTP: STARTTLS on the submission
// port or TLS from the first byte, the server's certificate checked, login with user and
// password. Mails are sent one after another over the same connection.

#include "core/MailSettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace qvl {

// How long each answer of the mail server is awaited (RFC 5321 §4.5.3.2), in seconds. A
// server may check a mail for minutes before it answers its data: giving up earlier would
// leave a mail the server took without the program knowing.
struct SmtpWaits {
    int command = 300;   // the greeting, MAIL, RCPT and the other commands
    int dataStart = 120; // the answer to DATA that lets the mail's text go
    int dataBlock = 180; // the mail's text taking no further step
    int dataEnd = 600;   // the answer to the mail's end: taken or refused
};

struct SmtpResult {
    enum class Kind {
        Accepted,  // the server took the mail (250 after its data)
        Refused,   // this mail refused for good (5xx on a recipient or its data)
        Temporary, // this mail refused for now (4xx); to be sent again later
        Stopped,   // no mail can go now (server away, login refused, no encryption, …):
                   // nothing of this mail was taken, the sending stops
        Cancelled, // "Abbrechen" before the server took its data: nothing taken
        Uncertain  // the whole mail went, its answer did not come (awaited in vain, the
                   // connection lost): the server may have taken it. The sending stops.
    };
    Kind kind = Kind::Stopped;
    int code = 0;      // the server's last reply code, 0 when it gave none
    QString answer;    // the server's last reply, or what failed, in German
};

class SmtpSession {
public:
    // cancelled: asked while a mail's data go out; a mail whose data are all sent is
    // finished, so that the server never takes a mail the program did not record.
    SmtpSession(const MailSettings &settings, QByteArray password, std::function<bool()> cancelled = {},
                SmtpWaits waits = {});
    ~SmtpSession();
    SmtpSession(const SmtpSession &) = delete;
    SmtpSession &operator=(const SmtpSession &) = delete;

    // Empty, or why no mail can be sent with these settings (no server, encryption off
    // without the setting that allows it).
    QString settingsProblem() const;

    // beforeData is asked once the server lets the mail's text go, before its first byte:
    // from then on the server may take the mail. A non-empty answer (why the mail could not
    // be marked as on its way) stops the mail there, nothing of it taken.
    SmtpResult send(const QString &sender, const QStringList &recipients, const QByteArray &message,
                    const std::function<QString()> &beforeData = {});

    struct Data;

private:
    std::unique_ptr<Data> d;
};

} // namespace qvl
