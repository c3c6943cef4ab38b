#include "app/SettingsEditor.h"

#include "app/FrmDTA.h"
#include "core/ERechnungSetting.h"
#include "core/MailSettings.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace qvl {

namespace {

using Kind = SettingField::Kind;

const QString kMailPage = QStringLiteral("E-Mail");
const QString kYearPage = QStringLiteral("Geschäftsjahr und Steuer");
const QString kRunPage = QStringLiteral("Lauf und Prüfung");

const QStringList kMonths{u"Januar"_qs, u"Februar"_qs, u"März"_qs,     u"April"_qs,   u"Mai"_qs,      u"Juni"_qs,
                          u"Juli"_qs,   u"August"_qs,  u"September"_qs, u"Oktober"_qs, u"November"_qs, u"Dezember"_qs};

QStringList mailModes()
{
    return {mailModeText(MailMode::Keine), mailModeText(MailMode::Unternehmer), mailModeText(MailMode::AlleMitAdresse)};
}

QStringList tlsModes()
{
    return {smtpTlsText(SmtpTls::StartTls), smtpTlsText(SmtpTls::Implicit), smtpTlsText(SmtpTls::None)};
}

SettingField text(const QString &key, const QString &page, const QString &caption, const QString &value,
                  const QString &hint = {})
{
    return {key, page, caption, Kind::Text, 0, 0, {}, hint, value};
}

SettingField number(const QString &key, const QString &page, const QString &caption, int value, int lowest,
                    int highest, const QString &hint = {})
{
    return {key, page, caption, Kind::Number, lowest, highest, {}, hint, QString::number(value)};
}

SettingField choice(const QString &key, const QString &page, const QString &caption, const QStringList &choices,
                    const QString &value, const QString &hint = {})
{
    return {key, page, caption, Kind::Choice, 0, 0, choices, hint, value};
}

SettingField flag(const QString &key, const QString &page, const QString &caption, bool on)
{
    return {key, page, caption, Kind::Flag, 0, 0, {}, {}, on ? u"1"_qs : u"0"_qs};
}

// An address of the mails: empty (the default applies) or one address without blanks.
bool mailAddress(const QString &text)
{
    static const QRegularExpression address(u"^[^@\\s<>,;\"]+@[^@\\s<>,;\"]+\\.[^@\\s<>,;\"]+$"_qs);
    return text.isEmpty() || address.match(text).hasMatch();
}

QString refusal(const SettingField &f)
{
    const QString name = u"„"_qs + f.caption + u"“ ("_qs + f.page + u')';
    switch (f.kind) {
    case Kind::Number:
        return name + u" muss eine ganze Zahl von "_qs + QString::number(f.lowest) + u" bis "_qs
               + QString::number(f.highest) + u" sein."_qs;
    case Kind::Choice:
        return name + u" muss einer dieser Werte sein: "_qs + f.choices.join(u", "_qs) + u'.';
    case Kind::Flag:
    case Kind::Text:
        break;
    }
    return name + u" ist ungültig."_qs;
}

} // namespace

SettingsEditor::SettingsEditor(const FrmDTA &f)
{
    const MailSettings &m = f.mail;
    const MailMode mode = f.chkEMail.Value == 1 && m.mode == MailMode::Keine ? MailMode::AlleMitAdresse
                          : f.chkEMail.Value == 1                            ? m.mode
                                                                             : MailMode::Keine;
    fields = {
        choice(u"EMailVersand"_qs, kMailPage, u"Briefe per E-Mail an"_qs, mailModes(), mailModeText(mode),
               u"„Unternehmer“: die als Unternehmen geführten Waldbesitzer."_qs),
        flag(u"EMailPapierAuch"_qs, kMailPage, u"Auch auf Papier"_qs, m.paperToo),
        text(u"SMTPServer"_qs, kMailPage, u"Postausgangsserver (SMTP)"_qs, m.server),
        number(u"SMTPPort"_qs, kMailPage, u"Port"_qs, m.port, 1, 65535, u"587 mit STARTTLS, 465 mit TLS"_qs),
        choice(u"SMTPVerschluesselung"_qs, kMailPage, u"Verschlüsselung"_qs, tlsModes(), smtpTlsText(m.tls)),
        flag(u"SMTPUnverschluesseltErlaubt"_qs, kMailPage, u"Ohne Verschlüsselung erlaubt"_qs, m.allowUnencrypted),
        text(u"SMTPBenutzer"_qs, kMailPage, u"Benutzer"_qs, m.user,
             u"Das Kennwort wird nie gespeichert: das Programm liest es beim Versand aus der Umgebungsvariablen "_qs
                 + QString::fromLatin1(kSmtpPasswordVariable) + u'.'),
        text(u"EMailAbsender"_qs, kMailPage, u"Absender"_qs, m.sender,
             u"Leer: die E-Mail-Adresse des Vereins auf dem Formular"_qs),
        text(u"EMailAntwortAn"_qs, kMailPage, u"Antwort an"_qs, m.replyTo),
        text(u"SMTPZertifikat"_qs, kMailPage, u"Zertifikatsdatei"_qs, m.caFile,
             u"Leer: die Zertifikate des Systems"_qs),
        number(u"EMailProMinute"_qs, kMailPage, u"E-Mails je Minute höchstens"_qs, m.perMinute, 0, 100000,
               u"0: keine Grenze"_qs),
        choice(u"WirtschaftsjahrBeginn"_qs, kYearPage, u"Wirtschaftsjahr beginnt im"_qs, kMonths,
               kMonths.value(f.lWirtschaftsjahrBeginn - 1, kMonths.first())),
        text(u"UStIdNr"_qs, kYearPage, u"Umsatzsteuer-Identifikationsnummer"_qs, f.strUStIdNr),
    };
    for (int k = 0; k < kFeeSlots; ++k) {
        const QString fee = f.aBeitragsNamen[std::size_t(k)].trimmed();
        fields.append(text(u"Steuerbefreiung"_qs + QString::number(k + 1), kYearPage,
                           u"Grund der Steuerbefreiung: "_qs + (fee.isEmpty() ? u"Beitrag "_qs + QString::number(k + 1) : fee),
                           f.aSteuerbefreiung[std::size_t(k)], k == 0 ? u"Leer: „"_qs + kDefaultExemptionReason + u'“' : QString()));
    }
    fields.append(number(u"VorlaufBankarbeitstage"_qs, kRunPage, u"Vorlauf der Bank (Bankarbeitstage)"_qs,
                         f.lVorlaufBankarbeitstage, 0, kMaxLeadDays));
    fields.append(number(u"VorabankuendigungTage"_qs, kRunPage, u"Vorabankündigung (Kalendertage)"_qs,
                         f.lVorabankuendigungTage, kMinPreNotificationDays, kMaxPreNotificationDays));
    fields.append(number(u"VergleichAbweichungProzent"_qs, kRunPage, u"Abweichung zum Vorjahr melden ab (%)"_qs,
                         f.lVergleichAbweichungProzent, 1, kMaxComparisonPercent));
}

int SettingsEditor::indexOf(const QString &key) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].key == key)
            return i;
    return -1;
}

bool SettingsEditor::set(const QString &key, const QString &value)
{
    const int i = indexOf(key);
    if (i < 0)
        return false;
    fields[i].value = value;
    return true;
}

QStringList SettingsEditor::pages() const
{
    QStringList out;
    for (const SettingField &f : fields)
        if (!out.contains(f.page))
            out.append(f.page);
    return out;
}

bool SettingsEditor::check(QString *why, int *field) const
{
    const auto refuse = [&](int i, const QString &reason) {
        *why = reason;
        *field = i;
        return false;
    };
    for (int i = 0; i < fields.size(); ++i) {
        const SettingField &f = fields[i];
        const QString v = f.value.trimmed();
        switch (f.kind) {
        case Kind::Number: {
            // Digits only: "1,5", "-3" or "1e3" are refused, never read as another number.
            const bool digits = !v.isEmpty() && v.size() <= 9
                                && std::all_of(v.cbegin(), v.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
            if (!digits || v.toInt() < f.lowest || v.toInt() > f.highest)
                return refuse(i, refusal(f));
            break;
        }
        case Kind::Choice:
            if (!f.choices.contains(v))
                return refuse(i, refusal(f));
            break;
        case Kind::Flag:
            if (v != u"0"_qs && v != u"1"_qs)
                return refuse(i, refusal(f));
            break;
        case Kind::Text:
            // One line: a line break would end the key in the settings file.
            if (v.contains(u'\n') || v.contains(u'\r'))
                return refuse(i, u"„"_qs + f.caption + u"“ ("_qs + f.page + u") muss in einer Zeile stehen."_qs);
            break;
        }
    }
    const auto fieldValue = [this](const char16_t *key) { return fields[indexOf(QString::fromUtf16(key))].value.trimmed(); };
    for (const char16_t *key : {u"EMailAbsender", u"EMailAntwortAn"})
        if (!mailAddress(fieldValue(key)))
            return refuse(indexOf(QString::fromUtf16(key)),
                          u"„"_qs + fieldValue(key) + u"“ ist keine E-Mail-Adresse (zum Beispiel verein@example.de)."_qs);
    if (fieldValue(u"SMTPServer").contains(u' '))
        return refuse(indexOf(u"SMTPServer"_qs), u"Der Name des Postausgangsservers enthält keine Leerzeichen."_qs);
    const QString ca = fieldValue(u"SMTPZertifikat");
    if (!ca.isEmpty() && !QFileInfo(ca).isFile())
        return refuse(indexOf(u"SMTPZertifikat"_qs), u"Die Zertifikatsdatei „"_qs + ca + u"“ gibt es nicht."_qs);
    if (fieldValue(u"SMTPVerschluesselung") == smtpTlsText(SmtpTls::None) && fieldValue(u"SMTPUnverschluesseltErlaubt") != u"1"_qs)
        return refuse(indexOf(u"SMTPUnverschluesseltErlaubt"_qs),
                      u"Ohne Verschlüsselung gingen Benutzer, Kennwort und Briefe lesbar durchs Netz: bitte wählen Sie "
                      "STARTTLS oder TLS, oder erlauben Sie es ausdrücklich."_qs);
    return true;
}

bool SettingsEditor::apply(FrmDTA &f, QString *why, int *field) const
{
    if (!check(why, field))
        return false;
    const auto v = [this](const char16_t *key) { return fields[indexOf(QString::fromUtf16(key))].value.trimmed(); };
    MailSettings &m = f.mail;
    m.mode = mailMode(v(u"EMailVersand"));
    f.chkEMail.Value = m.mode == MailMode::Keine ? 0 : 1;
    m.paperToo = v(u"EMailPapierAuch") == u"1"_qs;
    m.server = v(u"SMTPServer");
    m.port = v(u"SMTPPort").toInt();
    m.tls = smtpTls(v(u"SMTPVerschluesselung"));
    m.allowUnencrypted = v(u"SMTPUnverschluesseltErlaubt") == u"1"_qs;
    m.user = v(u"SMTPBenutzer");
    m.sender = v(u"EMailAbsender");
    m.replyTo = v(u"EMailAntwortAn");
    m.caFile = v(u"SMTPZertifikat");
    m.perMinute = v(u"EMailProMinute").toInt();
    f.lWirtschaftsjahrBeginn = int(kMonths.indexOf(v(u"WirtschaftsjahrBeginn"))) + 1;
    f.strUStIdNr = v(u"UStIdNr");
    for (int k = 0; k < kFeeSlots; ++k) {
        const QString reason = fields[indexOf(u"Steuerbefreiung"_qs + QString::number(k + 1))].value.trimmed();
        f.aSteuerbefreiung[std::size_t(k)] = reason.isEmpty() ? kDefaultExemptionReason : reason;
    }
    f.lVorlaufBankarbeitstage = v(u"VorlaufBankarbeitstage").toInt();
    f.lVorabankuendigungTage = v(u"VorabankuendigungTage").toInt();
    f.lVergleichAbweichungProzent = v(u"VergleichAbweichungProzent").toInt();
    return true;
}

} // namespace qvl
