#include "app/MailSettingsFile.h"

#include "app/FrmDTA.h"

namespace qvl {

namespace {

int whole(const QString &value, int lowest, int highest, int fallback)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    return ok && n >= lowest && n <= highest ? n : fallback;
}

bool flag(const QString &value)
{
    const QString v = value.trimmed();
    return v == u"1"_qs || v.compare(u"Wahr"_qs, Qt::CaseInsensitive) == 0;
}

} // namespace

void loadMailSettings(FrmDTA &f, const KeyFile &file)
{
    const auto v = [&file](const char16_t *key) { return file.value(QString::fromUtf16(key)); };
    MailSettings &m = f.mail;
    m = MailSettings{};
    m.mode = mailMode(v(u"EMailVersand"));
    m.paperToo = flag(v(u"EMailPapierAuch"));
    m.server = v(u"SMTPServer").trimmed();
    m.port = whole(v(u"SMTPPort"), 1, 65535, m.port);
    m.tls = smtpTls(v(u"SMTPVerschluesselung"));
    m.allowUnencrypted = flag(v(u"SMTPUnverschluesseltErlaubt"));
    m.user = v(u"SMTPBenutzer").trimmed();
    m.caFile = v(u"SMTPZertifikat").trimmed();
    m.sender = v(u"EMailAbsender").trimmed();
    m.replyTo = v(u"EMailAntwortAn").trimmed();
    m.perMinute = whole(v(u"EMailProMinute"), 0, 100000, 0);
    f.chkEMail.Value = m.mode == MailMode::Keine ? 0 : 1;
}

QStringList mailSettingsLines(const FrmDTA &f)
{
    const MailSettings &m = f.mail;
    const auto yesNo = [](bool on) { return on ? u"1"_qs : u"0"_qs; };
    return {u"EMailVersand="_qs + mailModeText(mailMode(f)),
            u"EMailPapierAuch="_qs + yesNo(m.paperToo),
            u"SMTPServer="_qs + m.server,
            u"SMTPPort="_qs + QString::number(m.port),
            u"SMTPVerschluesselung="_qs + smtpTlsText(m.tls),
            u"SMTPUnverschluesseltErlaubt="_qs + yesNo(m.allowUnencrypted),
            u"SMTPBenutzer="_qs + m.user,
            u"SMTPZertifikat="_qs + m.caFile,
            u"EMailAbsender="_qs + m.sender,
            u"EMailAntwortAn="_qs + m.replyTo,
            u"EMailProMinute="_qs + QString::number(m.perMinute)};
}

MailMode mailMode(const FrmDTA &f)
{
    if (f.chkEMail.Value != 1)
        return MailMode::Keine;
    return f.mail.mode == MailMode::Keine ? MailMode::AlleMitAdresse : f.mail.mode;
}

QString mailSender(const FrmDTA &f)
{
    return f.mail.sender.isEmpty() ? f.txtEmail.Text.trimmed() : f.mail.sender;
}

} // namespace qvl
