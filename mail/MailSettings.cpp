#include "core/MailSettings.h"

namespace qvl {

namespace {

bool same(const QString &text, const QString &word)
{
    return text.trimmed().compare(word, Qt::CaseInsensitive) == 0;
}

} // namespace

MailMode mailMode(const QString &text)
{
    if (same(text, u"Unternehmer"_qs))
        return MailMode::Unternehmer;
    if (same(text, u"Alle mit E-Mail-Adresse"_qs) || same(text, u"Alle"_qs))
        return MailMode::AlleMitAdresse;
    return MailMode::Keine;
}

QString mailModeText(MailMode mode)
{
    switch (mode) {
    case MailMode::Unternehmer:
        return u"Unternehmer"_qs;
    case MailMode::AlleMitAdresse:
        return u"Alle mit E-Mail-Adresse"_qs;
    case MailMode::Keine:
        break;
    }
    return u"Keine"_qs;
}

SmtpTls smtpTls(const QString &text)
{
    if (same(text, u"TLS"_qs) || same(text, u"SSL"_qs))
        return SmtpTls::Implicit;
    if (same(text, u"Keine"_qs))
        return SmtpTls::None;
    return SmtpTls::StartTls;
}

QString smtpTlsText(SmtpTls tls)
{
    switch (tls) {
    case SmtpTls::Implicit:
        return u"TLS"_qs;
    case SmtpTls::None:
        return u"Keine"_qs;
    case SmtpTls::StartTls:
        break;
    }
    return u"STARTTLS"_qs;
}

} // namespace qvl
