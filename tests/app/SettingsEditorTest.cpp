#include "app/FrmDTA.h"
#include "app/Settings.h"
#include "app/SettingsEditor.h"
#include "support/Workspace.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

std::unique_ptr<FrmDTA> loaded(Workspace &ws, const QStringList &settings)
{
    ws.writeSettings(settings);
    auto form = ws.form();
    EXPECT_TRUE(LoadSettings(*form));
    return form;
}

// The value each key takes in the file, for what the editor shows.
QString savedValue(const SettingField &f)
{
    if (f.key == u"WirtschaftsjahrBeginn"_qs)
        return QString::number(f.choices.indexOf(f.value) + 1);
    return f.value;
}

} // namespace

// Every key of the dialog: changed, taken, saved with the settings file and read back as
// it was typed.
TEST(SettingsEditor, EveryKeyRoundTripsThroughTheSettingsFile)
{
    Workspace ws(1);
    const QString ca = ws.root() + u"/ca.pem"_qs;
    QFile(ca).open(QIODevice::WriteOnly);
    auto form = loaded(ws, demoSettings());
    SettingsEditor editor(*form);
    const QStringList keys{u"EMailVersand"_qs, u"EMailPapierAuch"_qs, u"SMTPServer"_qs, u"SMTPPort"_qs,
                           u"SMTPVerschluesselung"_qs, u"SMTPUnverschluesseltErlaubt"_qs, u"SMTPBenutzer"_qs,
                           u"EMailAbsender"_qs, u"EMailAntwortAn"_qs, u"SMTPZertifikat"_qs, u"EMailProMinute"_qs,
                           u"WirtschaftsjahrBeginn"_qs, u"UStIdNr"_qs, u"Steuerbefreiung1"_qs, u"Steuerbefreiung2"_qs,
                           u"Steuerbefreiung3"_qs, u"Steuerbefreiung4"_qs, u"Steuerbefreiung5"_qs,
                           u"VorlaufBankarbeitstage"_qs, u"VorabankuendigungTage"_qs, u"VergleichAbweichungProzent"_qs};
    QStringList shown;
    for (const SettingField &f : editor.fields)
        shown.append(f.key);
    EXPECT_EQ(shown, keys);
    EXPECT_EQ(editor.pages(), (QStringList{u"E-Mail"_qs, u"Geschäftsjahr und Steuer"_qs, u"Lauf und Prüfung"_qs}));

    const std::pair<QString, QString> typed[] = {
        {u"EMailVersand"_qs, u"Unternehmer"_qs},   {u"EMailPapierAuch"_qs, u"1"_qs},
        {u"SMTPServer"_qs, u"smtp.example.de"_qs}, {u"SMTPPort"_qs, u"465"_qs},
        {u"SMTPVerschluesselung"_qs, u"TLS"_qs},   {u"SMTPUnverschluesseltErlaubt"_qs, u"1"_qs},
        {u"SMTPBenutzer"_qs, u"kasse"_qs},         {u"EMailAbsender"_qs, u"kasse@fbg.example.de"_qs},
        {u"EMailAntwortAn"_qs, u"vorstand@fbg.example.de"_qs}, {u"SMTPZertifikat"_qs, ca},
        {u"EMailProMinute"_qs, u"30"_qs},          {u"WirtschaftsjahrBeginn"_qs, u"Juli"_qs},
        {u"UStIdNr"_qs, u"DE123456789"_qs},        {u"Steuerbefreiung1"_qs, u"Kein Leistungsaustausch"_qs},
        {u"Steuerbefreiung3"_qs, u"§ 4 Nr. 22 UStG"_qs}, {u"VorlaufBankarbeitstage"_qs, u"2"_qs},
        {u"VorabankuendigungTage"_qs, u"7"_qs},   {u"VergleichAbweichungProzent"_qs, u"40"_qs},
    };
    for (const auto &[key, value] : typed)
        ASSERT_TRUE(editor.set(key, value)) << key.toStdString();
    EXPECT_FALSE(editor.set(u"Passwort"_qs, u"geheim"_qs));
    QString why;
    int field = -1;
    ASSERT_TRUE(editor.apply(*form, &why, &field)) << why.toStdString();
    EXPECT_EQ(form->lWirtschaftsjahrBeginn, 7);
    EXPECT_EQ(form->chkEMail.Value, 1);

    const QStringList saved = SettingsLines(*form);
    for (const SettingField &f : editor.fields)
        EXPECT_TRUE(saved.contains(f.key + u'=' + savedValue(f))) << f.key.toStdString() << "=" << f.value.toStdString();
    // Never the password.
    EXPECT_FALSE(saved.join(u'\n').contains(u"geheim"_qs));

    auto again = loaded(ws, saved);
    const SettingsEditor reread(*again);
    for (int i = 0; i < editor.fields.size(); ++i)
        EXPECT_EQ(reread.fields[i].value, editor.fields[i].value) << editor.fields[i].key.toStdString();
    EXPECT_TRUE(again->settingsFallbacks.isEmpty()) << again->settingsFallbacks.join(u'\n').toStdString();
}

// A value the file's rule would not read is refused by name, and nothing is taken.
TEST(SettingsEditor, RefusesWhatTheFileCouldNotReadAndTakesNothing)
{
    Workspace ws(1);
    auto form = loaded(ws, demoSettings());
    const int lead = form->lVorlaufBankarbeitstage;
    const QString server = form->mail.server;
    const struct {
        const char16_t *key;
        QString typed;
        const char16_t *why;
    } cases[] = {
        {u"VorlaufBankarbeitstage", u"1,2,3"_qs, u"„Vorlauf der Bank (Bankarbeitstage)“ (Lauf und Prüfung) muss eine ganze Zahl von 0 bis 30 sein."},
        {u"VorlaufBankarbeitstage", u"-5"_qs, u"von 0 bis 30"},
        {u"VorlaufBankarbeitstage", u"31"_qs, u"von 0 bis 30"},
        {u"VorabankuendigungTage", u"1e9"_qs, u"von 1 bis 366"},
        {u"VergleichAbweichungProzent", QString(200, u'9'), u"von 1 bis 10000"},
        {u"SMTPPort", u"0"_qs, u"von 1 bis 65535"},
        {u"EMailProMinute", u"1.5"_qs, u"von 0 bis 100000"},
        {u"WirtschaftsjahrBeginn", u"13"_qs, u"Januar, Februar"},
        {u"SMTPVerschluesselung", u"SSLv2"_qs, u"STARTTLS, TLS, Keine"},
        {u"EMailAbsender", u"kasse at fbg"_qs, u"keine E-Mail-Adresse"},
        {u"EMailAntwortAn", u"a@b.de, c@d.de"_qs, u"keine E-Mail-Adresse"},
        {u"SMTPServer", u"smtp example de"_qs, u"keine Leerzeichen"},
        {u"SMTPZertifikat", ws.root() + u"/fehlt.pem"_qs, u"gibt es nicht"},
        {u"UStIdNr", u"DE1\nDE2"_qs, u"in einer Zeile"},
        {u"SMTPVerschluesselung", u"Keine"_qs, u"erlauben Sie es ausdrücklich"},
    };
    for (const auto &c : cases) {
        const QString key = QString::fromUtf16(c.key);
        SCOPED_TRACE(key.toStdString() + " = " + c.typed.left(20).toStdString());
        SettingsEditor editor(*form);
        editor.set(u"VorlaufBankarbeitstage"_qs, u"5"_qs); // a valid change beside it
        ASSERT_TRUE(editor.set(key, c.typed));
        QString why;
        int field = -1;
        EXPECT_FALSE(editor.apply(*form, &why, &field));
        EXPECT_TRUE(why.contains(QString::fromUtf16(c.why))) << why.toStdString();
        EXPECT_EQ(editor.fields.value(field).key,
                  key == u"SMTPVerschluesselung"_qs && c.typed == u"Keine"_qs ? u"SMTPUnverschluesseltErlaubt"_qs : key);
        EXPECT_EQ(form->lVorlaufBankarbeitstage, lead);
        EXPECT_EQ(form->mail.server, server);
    }
    // An empty exemption reason is the default one, as in the file.
    SettingsEditor editor(*form);
    editor.set(u"Steuerbefreiung2"_qs, u"  "_qs);
    QString why;
    int field = -1;
    ASSERT_TRUE(editor.apply(*form, &why, &field)) << why.toStdString();
    EXPECT_EQ(form->aSteuerbefreiung[1], kDefaultExemptionReason);
}
