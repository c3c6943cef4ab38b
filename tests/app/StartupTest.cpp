#include "app/FrmDTA.h"
#include "commands/ProgramStart.h"
#include "support/Workspace.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

QString value(FrmDTA &form, const QString &name)
{
    for (const DumpLine &line : form.names().dump())
        if (line.first == name)
            return line.second;
    ADD_FAILURE() << "no dump line " << name.toStdString();
    return {};
}

} // namespace

TEST(Startup, AssociationModeReadsFeeNamesCreditorsAndSelectsTheLastEntry)
{
    Workspace ws;
    QStringList settings = demoSettings();
    settings << u"0007 Forstbetriebsgemeinschaft Hochwald e.V. Mindest1=12,50"_qs
             << u"0050 Waldbesitzervereinigung Oberland w.V. Mindest2=7"_qs;
    ws.writeSettings(settings);
    auto form = ws.form();

    ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready) << ws.ui.texts().join(u'|').toStdString();
    EXPECT_TRUE(form->bEinstellungenGelesen);

    // Fee names: row 3021 is empty in the demo and becomes "Beitrag 3".
    EXPECT_EQ(form->aBeitragsNamen[0], u"Mitgliedsbeitrag"_qs);
    EXPECT_EQ(form->aBeitragsNamen[2], u"Beitrag 3"_qs);
    EXPECT_EQ(form->chkBeitrag[2].Caption, u"Beitrag 3"_qs);
    EXPECT_EQ(form->lblBeitr[1].Caption, form->aBeitragsNamen[1]);

    // Associations only, numbered with four digits; the last one is selected and loaded.
    ASSERT_EQ(form->lbPersons.ListCount(), 2);
    EXPECT_EQ(form->lbPersons.List[0], u"0007 Forstbetriebsgemeinschaft Hochwald e.V."_qs);
    EXPECT_EQ(form->lbPersons.ListIndex, 1);
    EXPECT_EQ(form->GetFBGNr(), 50);
    EXPECT_EQ(form->aFBGNr, (QList<long>{7, 50, 0}));
    EXPECT_EQ(form->txtFirmenName.Text, u"Waldbesitzervereinigung Oberland w.V."_qs);
    EXPECT_FALSE(form->txtKontonummer.Text.isEmpty());
    EXPECT_FALSE(form->txtSteuernummer.Text.isEmpty()); // from the column BLZ1
    EXPECT_TRUE(form->Label8.Visible);

    // Per-entry minimum fees; the boxes show the selected entry's.
    EXPECT_EQ(form->aMindestbeitraege[0][0], u"12,50"_qs);
    EXPECT_EQ(form->aMindestbeitraege[1][1], u"7"_qs);
    EXPECT_EQ(form->txtMindestbeitrag[1].Text, u"7"_qs);

    // Dates and accounting-dependent parts.
    EXPECT_EQ(form->txtRechDat.Text, u"06.12.2026"_qs);
    // Two weeks ahead is Sunday 20.12.2026: the next business day instead.
    EXPECT_EQ(form->txtFaellDat.Text, u"21.12.2026"_qs);
    EXPECT_EQ(form->txtWirtschaftsjahr.Text, u"2026"_qs);
    EXPECT_EQ(form->SSTab1.TabCaption[1], u"DATEV-FIBU"_qs);
    EXPECT_TRUE(form->SSTab1.TabVisible[1]);
    EXPECT_TRUE(form->SSTab1.TabVisible[2]); // Berechnungsbasis is set
    EXPECT_FALSE(form->txtBankKonto.Visible);
    EXPECT_TRUE(form->fraBeitragskonten.Visible);
    EXPECT_EQ(form->strBerechnungsart, u"Formel"_qs);
    EXPECT_TRUE(form->rbEinstellung[2].Value);
    EXPECT_TRUE(ws.ui.messages.isEmpty()) << ws.ui.texts().join(u'|').toStdString();

    // The caption names the database, and no caption without a value.
    EXPECT_TRUE(form->Caption.startsWith(u"QVL32 - SEPA - Beitragseinzug    Version: "_qs));
    EXPECT_TRUE(form->Caption.endsWith(u"    Datenbank: suite.sqlite"_qs)) << form->Caption.toStdString();
    EXPECT_FALSE(form->Caption.contains(u"Parameter"_qs));
    EXPECT_EQ(value(*form, u"strDataBaseName"_qs), u"suite.sqlite"_qs);
}

// A value of the settings file the form would refuse is never billed from: the default
// takes its place, and one message at start names every such value.
TEST(Startup, UnreadableSettingsGiveWayToTheirDefaultsAndAreToldOnce)
{
    Workspace ws;
    QStringList settings = demoSettings();
    settings << u"0007 Forstbetriebsgemeinschaft Hochwald e.V. Mindest1=1,2,3"_qs
             << u"0050 Waldbesitzervereinigung Oberland w.V. Mindest2=1.2"_qs
             << u"0050 Waldbesitzervereinigung Oberland w.V. Mindest3=7,5"_qs << u"VergleichAbweichungProzent=abc"_qs
             << u"VorabankuendigungTage=5"_qs;
    ws.writeSettings(settings);
    auto form = ws.form();
    ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready) << ws.ui.texts().join(u'|').toStdString();
    EXPECT_EQ(form->aMindestbeitraege[0][0], QString());
    EXPECT_EQ(form->aMindestbeitraege[1][1], QString());
    EXPECT_EQ(form->aMindestbeitraege[1][2], u"7,5"_qs);
    EXPECT_EQ(form->lVergleichAbweichungProzent, 25);
    EXPECT_EQ(form->lVorabankuendigungTage, 5);
    ASSERT_EQ(ws.ui.messages.size(), 1) << ws.ui.texts().join(u'|').toStdString();
    const QString text = ws.ui.messages[0].text;
    for (const QString &named : {u"Hochwald e.V. Mindest1 = „1,2,3“, stattdessen leer"_qs,
                                 u"Oberland w.V. Mindest2 = „1.2“, stattdessen leer"_qs,
                                 u"VergleichAbweichungProzent = „abc“, stattdessen 25"_qs})
        EXPECT_TRUE(text.contains(named)) << text.toStdString();
    EXPECT_FALSE(text.contains(u"Mindest3"_qs));
    EXPECT_TRUE(form->settingsFallbacks.isEmpty());
}

TEST(Startup, ClientModeListsClientsAndHidesTheLabel)
{
    Workspace ws;
    QStringList settings = demoSettings();
    settings.replaceInStrings(u"FBGVersion=Wahr"_qs, u"FBGVersion=Falsch"_qs);
    settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu=IBM-FIBU"_qs);
    settings.replaceInStrings(u"Berechnungsbasis=1"_qs, u"Berechnungsbasis="_qs);
    ws.writeSettings(settings);
    auto form = ws.form();

    ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
    EXPECT_FALSE(form->Label8.Visible);
    ASSERT_EQ(form->lbPersons.ListCount(), 1);
    EXPECT_EQ(form->GetFBGNr(), 900);
    EXPECT_TRUE(form->txtBankKonto.Visible);
    EXPECT_FALSE(form->fraBeitragskonten.Visible);
    EXPECT_FALSE(form->txtSturmkonto.Visible);
    EXPECT_EQ(form->SSTab1.TabCaption[1], u"IBM-FIBU"_qs);
    EXPECT_FALSE(form->SSTab1.TabVisible[2]);
}

TEST(Startup, MissingSettingsFileStopsWithTheMessageAndWritesNothing)
{
    Workspace ws;
    auto form = ws.form();
    EXPECT_EQ(Form_Load(*form, {}), StartupResult::SettingsMissing);
    ASSERT_EQ(ws.ui.messages.size(), 1);
    EXPECT_EQ(ws.ui.messages[0].text,
              u"Die Einstellungsdatei "_qs + ws.settingsFile() + u" konnte nicht geöffnet werden."_qs);
    EXPECT_FALSE(form->bEinstellungenGelesen);
    EXPECT_TRUE(Form_Unload(*form));
    EXPECT_FALSE(QFile::exists(ws.settingsFile()));
}

TEST(Startup, BankWarningFollowsTheKeyInAnyLetterCase)
{
    const std::pair<QString, bool> cases[] = {
        {u"Wahr"_qs, true}, {u"WAHR"_qs, true}, {u"wahr"_qs, true}, {u"1"_qs, true},
        {u"Falsch"_qs, false}, {u""_qs, false}, {u"ja"_qs, false}};
    Workspace ws(5);
    for (const auto &[text, warns] : cases) {
        QStringList settings = demoSettings();
        settings.replaceInStrings(u"WarnmeldungBankverbindung=Falsch"_qs, u"WarnmeldungBankverbindung="_qs + text);
        ws.writeSettings(settings);
        ws.ui.messages.clear();
        auto form = ws.form();
        ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
        const bool shown = !ws.ui.messages.isEmpty()
                           && ws.ui.messages.last().text == u"Vorsicht: Bankverbindung kontrollieren!"_qs
                           && ws.ui.messages.last().title == u"Warnung"_qs
                           && ws.ui.messages.last().icon == MsgIcon::Information;
        EXPECT_EQ(shown, warns) << text.toStdString();
    }
}

TEST(Startup, MissingFeeNameRowsAndAnEmptyCreditorListAreHandled)
{
    Workspace ws(5);
    ws.execSql(u"delete from strings where id_string in (3019, 3023)"_qs);
    ws.execSql(u"update personal set sonstiger = 0 where sonstiger = 1"_qs);
    ws.writeSettings(demoSettings());
    auto form = ws.form();
    ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
    EXPECT_EQ(form->aBeitragsNamen[0], u"Beitrag 1"_qs);
    EXPECT_EQ(form->aBeitragsNamen[1], u"Waldbrandversicherung"_qs); // not shifted into slot 0
    EXPECT_EQ(form->aBeitragsNamen[4], u"Beitrag 5"_qs);
    EXPECT_EQ(form->lbPersons.ListCount(), 0);
    EXPECT_EQ(form->GetFBGNr(), 0);
    // With no creditor in the list, the boxes keep the settings file's values.
    EXPECT_EQ(form->txtFirmenName.Text, u"FBG Hochwald aus der Datei"_qs);
}

TEST(Startup, CommandLineChoosesTheDatabase)
{
    Workspace ws(5);
    ws.writeSettings(demoSettings());

    // A connection string: the suite INI named after "|" is kept but not read.
    auto form = ws.form();
    const QString cs = u"Provider=SQLite;Data Source="_qs + ws.databaseFile();
    ASSERT_EQ(Form_Load(*form, cs + u" | /nowhere/quarvel.Ini "_qs), StartupResult::Ready);
    EXPECT_EQ(form->strConnectionString, cs);
    EXPECT_EQ(form->qvlIniPath, u"/nowhere/quarvel.Ini"_qs);
    EXPECT_EQ(form->strDataBaseName, u"suite.sqlite"_qs);
    EXPECT_TRUE(form->strServerName.isEmpty());

    // An OLE DB string: the catalog becomes the database name even when the server is gone.
    auto other = ws.form();
    EXPECT_EQ(Form_Load(*other, u"Provider=SQLOLEDB.1;Initial Catalog=FBG;Data Source=sql.invalid"_qs),
              StartupResult::Failed);
    EXPECT_EQ(other->strDataBaseName, u"FBG"_qs);
}

TEST(Startup, UnreachableDatabaseEndsInOrderAndNamesServerAndDatabase)
{
    Workspace ws(5);
    ws.writeSettings(demoSettings());
    const QByteArray before = ws.settingsBytes();
    QFile::remove(ws.databaseFile());

    auto form = ws.form();
    EXPECT_EQ(Form_Load(*form, {}), StartupResult::Failed);
    ASSERT_EQ(ws.ui.messages.size(), 1);
    EXPECT_TRUE(ws.ui.messages[0].text.contains(u"„suite.sqlite“"_qs)) << ws.ui.messages[0].text.toStdString();
    EXPECT_TRUE(ws.ui.messages[0].text.contains(ws.root())) << ws.ui.messages[0].text.toStdString();
    EXPECT_FALSE(form->bEinstellungenGelesen);
    Form_Unload(*form);
    EXPECT_EQ(ws.settingsBytes(), before);
}

TEST(Startup, FailingStartupQueryIsReported)
{
    Workspace ws(5);
    ws.writeSettings(demoSettings());
    ws.execSql(u"drop table strings"_qs);
    auto form = ws.form();
    EXPECT_EQ(Form_Load(*form, {}), StartupResult::Failed);
    ASSERT_EQ(ws.ui.messages.size(), 1);
    EXPECT_TRUE(ws.ui.messages[0].text.contains(u"strings"_qs)) << ws.ui.messages[0].text.toStdString();
}

TEST(Startup, AccountingFolderThatIsMissingIsReportedAndStartupGoesOn)
{
    Workspace ws(5);
    QStringList settings = demoSettings();
    settings.replaceInStrings(u"FibuZiel="_qs, u"FibuZiel="_qs + ws.root() + u"/fehlt"_qs);
    ws.writeSettings(settings);
    auto form = ws.form();
    ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
    ASSERT_EQ(ws.ui.messages.size(), 1);
    EXPECT_TRUE(ws.ui.messages[0].text.startsWith(u"Pfad für Fibuexport nicht gefunden.\r"_qs));
    EXPECT_TRUE(form->Dir1.Path.isEmpty());

    // The configured folder is not forgotten at the next save.
    ASSERT_TRUE(Form_Unload(*form));
    EXPECT_TRUE(ws.settingsBytes().contains(("FibuZiel=" + ws.root() + "/fehlt\r\n").toUtf8()));

    QDir(ws.root()).mkdir(u"fibu"_qs);
    settings = demoSettings();
    settings.replaceInStrings(u"FibuZiel="_qs, u"FibuZiel="_qs + ws.root() + u"/fibu"_qs);
    ws.writeSettings(settings);
    ws.ui.messages.clear();
    auto again = ws.form();
    ASSERT_EQ(Form_Load(*again, {}), StartupResult::Ready);
    EXPECT_TRUE(ws.ui.messages.isEmpty());
    EXPECT_EQ(again->Dir1.Path, ws.root() + u"/fibu"_qs);
#ifdef Q_OS_WIN
    EXPECT_EQ(again->strLetztesLaufwerk, ws.root().left(2)); // the drive letter
#else
    EXPECT_EQ(again->strLetztesLaufwerk, u"/"_qs);
#endif
}
