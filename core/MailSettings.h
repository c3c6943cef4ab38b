#pragma once
// The e-mail settings of the settings file: who gets his letter by mail, how the mail
// server is reached, and what the outbox's mails say about their sender. The password is
// never among them: it comes from the environment when the mails are sent.

#include <QString>

namespace qvl {

// Setting "EMailVersand": who gets his letter by e-mail instead of on paper.
enum class MailMode { Keine, Unternehmer, AlleMitAdresse };

MailMode mailMode(const QString &text); // letter case and blanks do not matter; else Keine
QString mailModeText(MailMode mode);

// Setting "SMTPVerschluesselung": STARTTLS on the submission port, TLS from the first
// byte (port 465), or none at all (refused unless explicitly allowed).
enum class SmtpTls { StartTls, Implicit, None };

SmtpTls smtpTls(const QString &text);
QString smtpTlsText(SmtpTls tls);

struct MailSettings {
    MailMode mode = MailMode::Keine;
    bool paperToo = false;         // "EMailPapierAuch": mailed owners get a paper letter too
    QString server;                // "SMTPServer"
    int port = 587;                // "SMTPPort"
    SmtpTls tls = SmtpTls::StartTls;
    bool allowUnencrypted = false; // "SMTPUnverschluesseltErlaubt"
    QString user;                  // "SMTPBenutzer"; empty: no login
    QString caFile;                // "SMTPZertifikat": a CA file for a server with its own
                                   // certificate; empty: the system's certificates
    QString sender;                // "EMailAbsender"; empty: the association's address on the form
    QString replyTo;               // "EMailAntwortAn"
    int perMinute = 0;             // "EMailProMinute": the provider's limit; 0 for none
};

// The environment variable the password is read from.
inline constexpr char kSmtpPasswordVariable[] = "QVL32_SMTP_PASSWORD";

} // namespace qvl
