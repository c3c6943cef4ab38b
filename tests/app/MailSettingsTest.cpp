// The e-mail keys of the settings file: read with their defaults, shown in the check box,
// written back in their place — and never a password among them.
#include "app/FrmDTA.h"
#include "app/MailSettingsFile.h"
#include "app/Settings.h"
#include "commands/ProgramStart.h"
#include "support/Workspace.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

TEST(MailSettings, ReadWithDefaultsShownInTheBoxAndWrittenBack)
{
    struct Case {
        QStringList lines;
        MailMode mode;
        int box;
        int port;
        SmtpTls tls;
        int perMinute;
        QString saved; // the line EMailVersand as written back
    };
    const Case cases[] = {
        {{}, MailMode::Keine, 0, 587, SmtpTls::StartTls, 0, u"EMailVersand=Keine"_qs},
        {{u"EMailVersand= unternehmer "_qs, u"SMTPPort=465"_qs, u"SMTPVerschluesselung=tls"_qs,
          u"EMailProMinute=30"_qs},
         MailMode::Unternehmer, 1, 465, SmtpTls::Implicit, 30, u"EMailVersand=Unternehmer"_qs},
        {{u"EMailVersand=Alle mit E-Mail-Adresse"_qs, u"SMTPPort=abc"_qs, u"SMTPVerschluesselung=Keine"_qs,
          u"EMailProMinute=-5"_qs},
         MailMode::AlleMitAdresse, 1, 587, SmtpTls::None, 0, u"EMailVersand=Alle mit E-Mail-Adresse"_qs},
        {{u"EMailVersand=vielleicht"_qs, u"SMTPPort=70000"_qs, u"SMTPVerschluesselung=irgendwas"_qs},
         MailMode::Keine, 0, 587, SmtpTls::StartTls, 0, u"EMailVersand=Keine"_qs},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines.join(u' ').toStdString());
        Workspace ws(3);
        ws.writeSettings(demoSettings() + c.lines);
        auto form = ws.form();
        ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
        EXPECT_EQ(form->mail.mode, c.mode);
        EXPECT_EQ(form->chkEMail.Value, c.box);
        EXPECT_EQ(form->mail.port, c.port);
        EXPECT_EQ(form->mail.tls, c.tls);
        EXPECT_EQ(form->mail.perMinute, c.perMinute);
        const QStringList saved = SettingsLines(*form);
        EXPECT_TRUE(saved.contains(c.saved));
        // In their place: after the comparison threshold, before the models.
        EXPECT_EQ(saved.indexOf(c.saved), saved.indexOf(QRegularExpression(u"Steuerbefreiung5=.*"_qs)) + 1);
    }
}

TEST(MailSettings, TheBoxSwitchesTheModeAndEveryKeySurvivesASave)
{
    Workspace ws(3);
    const QStringList keys{u"EMailVersand=Unternehmer"_qs, u"EMailPapierAuch=1"_qs, u"SMTPServer=mail.example.org"_qs,
                           u"SMTPPort=2525"_qs, u"SMTPVerschluesselung=STARTTLS"_qs,
                           u"SMTPUnverschluesseltErlaubt=1"_qs, u"SMTPBenutzer=fbg"_qs,
                           u"SMTPZertifikat=/etc/ssl/fbg.pem"_qs, u"EMailAbsender=versand@fbg.de"_qs,
                           u"EMailAntwortAn=kasse@fbg.de"_qs, u"EMailProMinute=20"_qs};
    ws.writeSettings(demoSettings() + keys);
    auto form = ws.form();
    ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
    EXPECT_EQ(mailSettingsLines(*form), keys);
    EXPECT_EQ(mailSender(*form), u"versand@fbg.de"_qs);

    form->names().set(u"chkEMail"_qs, u"0"_qs);
    EXPECT_EQ(mailMode(*form), MailMode::Keine);
    EXPECT_TRUE(SettingsLines(*form).contains(u"EMailVersand=Keine"_qs));
    form->names().set(u"chkEMail"_qs, u"1"_qs);
    EXPECT_EQ(mailMode(*form), MailMode::Unternehmer);
    // Ticked after "Keine": every owner with an address.
    form->mail.mode = MailMode::Keine;
    EXPECT_EQ(mailMode(*form), MailMode::AlleMitAdresse);
    form->mail.sender.clear();
    EXPECT_EQ(mailSender(*form), form->txtEmail.Text.trimmed());
}
