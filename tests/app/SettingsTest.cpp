#include "app/FrmDTA.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "commands/ProgramStart.h"
#include "files/AnsiTextFile.h"
#include "text/Cp1252.h"
#include "support/Workspace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

TEST(ReadFile, MatchesTrimmedKeysCaseInsensitivelyAndTheFirstLineWins)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"keys.ini"_qs);
    appendAnsiLines(path, {u"  firma  =  Hochwald  "_qs, u"Firma=Zweiter"_qs, u"=ohne Schlüssel"_qs,
                           u"kein Gleichheitszeichen"_qs, u"Formel=a=b"_qs, u"Währung=EUR"_qs,
                           u"0007 FBG Süd Mindest1=5"_qs});
    const std::pair<QString, QString> cases[] = {
        {u"Firma"_qs, u"Hochwald"_qs},  {u" FIRMA "_qs, u"Hochwald"_qs}, {u"Formel"_qs, u"a=b"_qs},
        {u"währung"_qs, u"EUR"_qs},     {u"fehlt"_qs, u""_qs},          {u""_qs, u""_qs},
        {u"0007 FBG SÜD Mindest1"_qs, u"5"_qs}};
    for (const auto &[key, expected] : cases)
        EXPECT_EQ(ReadFile(path, key), expected) << key.toStdString();
    EXPECT_EQ(ReadFile(dir.filePath(u"fehlt.ini"_qs), u"Firma"_qs), u"ERROR"_qs);
}

TEST(SettingsLoad, AppliesTheDefaultsAndRulesOfEachKey)
{
    Workspace ws(3);
    ws.writeSettings({u"ExportPfad="_qs, u"SortNummer=Falsch"_qs, u"BERECHNUNG=irgendwas"_qs,
                      u"EinzelbuchungenDrucken="_qs, u"RechnungsUeberschriftDrucken=7"_qs, u"Kopf drucken=x"_qs,
                      u"AbsenderLinks=abc"_qs, u"AbsenderOben=0100"_qs, u"FBGVersion=vielleicht"_qs,
                      u"RundeBeitrag2=WAHR"_qs, u"Steuernummer=111"_qs, u"STAFFEL-FLAECHEN=1,5;2;x"_qs,
                      u"STAFFEL-PREISE=10;20,5"_qs, u"FORMEL-ZUSCHLAG-HA="_qs, u"FORMEL-HOECHSTBEITRAG=99,999"_qs,
                      u"Währung=US-Dollar"_qs, u"AnschriftOben=-5"_qs, u"AnschriftLinks=11907"_qs,
                      u"FORMEL-MINDESTBETRAG-PREIS=1000000000000"_qs});
    auto form = ws.form();
    ASSERT_TRUE(LoadSettings(*form));
    FrmDTA &f = *form;
    EXPECT_EQ(f.strExportPfad, u"A:\\"_qs);
    EXPECT_TRUE(f.Sort[1].Value);
    EXPECT_EQ(f.strBerechnungsart, u"QVL"_qs);
    EXPECT_TRUE(f.rbEinstellung[0].Value);
    EXPECT_EQ(f.chkEinzelbuchungen.Value, 1); // empty counts as 1
    EXPECT_EQ(f.chkUeberschrift.Value, 1);    // not 0 or 1: like an absent key
    EXPECT_EQ(f.chkKopf.Value, 0);
    // A position the box would refuse keeps the form's default, said so at start.
    EXPECT_EQ(f.txtAbsenderLinks.Text, u"945"_qs);
    EXPECT_EQ(f.txtAbsenderOben.Text, u"100"_qs);
    EXPECT_EQ(f.txtAnschriftOben.Text, u"3380"_qs);
    EXPECT_EQ(f.txtAnschriftLinks.Text, u"945"_qs); // one twip beyond the page's width
    EXPECT_FALSE(f.bFBGVersion);
    EXPECT_TRUE(f.bRundeBeitrag[1]);
    EXPECT_EQ(f.strSteuernummerfeld, u"BLZ1"_qs);
    EXPECT_TRUE(f.txtSteuernummer.Text.isEmpty()); // no field named: the number is not read
    EXPECT_EQ(f.txtStaffel[0].Text, u"1,5000"_qs);
    EXPECT_EQ(f.txtStaffel[2].Text, u"2,0000"_qs);
    EXPECT_EQ(f.txtStaffel[4].Text, u"0,0000"_qs); // unreadable: the default, and said so
    EXPECT_EQ(f.settingsFallbacks,
              (QStringList{u"Währung = „US-Dollar“, stattdessen EUR"_qs, u"AbsenderLinks = „abc“, stattdessen 945"_qs,
                           u"AnschriftLinks = „11907“, stattdessen 945"_qs,
                           u"AnschriftOben = „-5“, stattdessen 3380"_qs,
                           u"STAFFEL-FLAECHEN (Wert 3) = „x“, stattdessen 0,0000"_qs,
                           u"FORMEL-MINDESTBETRAG-PREIS = „1000000000000“, stattdessen 0,00"_qs}));
    EXPECT_EQ(f.txtPreisMindestbetrag.Text, u"0,00"_qs);
    EXPECT_EQ(f.txtStaffel[6].Text, u"0,0000"_qs);
    EXPECT_EQ(f.txtStaffel[3].Text, u"20,50"_qs);
    EXPECT_EQ(f.txtHaZuschlag.Text, u"0,0000"_qs);
    EXPECT_EQ(f.txtHoechstbeitrag.Text, u"100,00"_qs);
    EXPECT_EQ(f.txtWaehrung.Text, u"EUR"_qs);
    EXPECT_EQ(f.strWaehrung, u"EUR"_qs);

    const QStringList saved = SettingsLines(f);
    EXPECT_TRUE(saved.contains(u"SortNummer=2"_qs));
    EXPECT_TRUE(saved.contains(u"BERECHNUNG=QVL"_qs));
    EXPECT_TRUE(saved.contains(u"FBGVersion=Falsch"_qs));
    EXPECT_TRUE(saved.contains(u"STAFFEL-FLAECHEN=1,5000;2,0000;0,0000;0,0000;0,0000;0,0000;0,0000;0,0000;0,0000;0,0000;0,0000"_qs));
    EXPECT_TRUE(saved.contains(u"STAFFEL-PREISE=10,00;20,50;0,00;0,00;0,00;0,00;0,00;0,00;0,00;0,00;0,00"_qs));
}

// The keys of the check before a run came later: a file without them gives the defaults,
// one with a value that is no usable whole number too, and says so; saving writes the keys.
TEST(SettingsLoad, CheckKeysOfOlderFilesGetTheirDefaults)
{
    Workspace ws(3);
    const struct {
        QStringList lines;
        int lead, preNotification, percent;
        qsizetype told; // values named as unusable
    } cases[] = {
        {{}, 1, 14, 25, 0},
        {{u"VorlaufBankarbeitstage=2"_qs, u"VorabankuendigungTage=1"_qs, u"VergleichAbweichungProzent= 40 "_qs}, 2, 1, 40, 0},
        {{u"VorlaufBankarbeitstage=-1"_qs, u"VorabankuendigungTage=14,5"_qs, u"VergleichAbweichungProzent=0"_qs}, 1, 14, 25, 3},
        {{u"VorlaufBankarbeitstage=zwei"_qs, u"VorabankuendigungTage=400"_qs, u"VergleichAbweichungProzent="_qs}, 1, 14, 25, 2},
        {{u"VorabankuendigungTage=0"_qs, u"VergleichAbweichungProzent=99,99"_qs}, 1, 14, 25, 2},
        {{u"VergleichAbweichungProzent=abc"_qs}, 1, 14, 25, 1},
    };
    for (const auto &c : cases) {
        ws.writeSettings(c.lines);
        auto form = ws.form();
        ASSERT_TRUE(LoadSettings(*form));
        EXPECT_EQ(form->settingsFallbacks.size(), c.told) << form->settingsFallbacks.join(u'\n').toStdString();
        EXPECT_EQ(form->lVorlaufBankarbeitstage, c.lead) << c.lines.join(u' ').toStdString();
        EXPECT_EQ(form->lVorabankuendigungTage, c.preNotification) << c.lines.join(u' ').toStdString();
        EXPECT_EQ(form->lVergleichAbweichungProzent, c.percent) << c.lines.join(u' ').toStdString();
        const QStringList saved = SettingsLines(*form);
        const qsizetype after = saved.indexOf(u"ERechnung=Unternehmer"_qs);
        ASSERT_GE(after, 0);
        EXPECT_EQ(saved.mid(after + 1, 3),
                  (QStringList{u"VorlaufBankarbeitstage="_qs + QString::number(c.lead),
                               u"VorabankuendigungTage="_qs + QString::number(c.preNotification),
                               u"VergleichAbweichungProzent="_qs + QString::number(c.percent)}));
    }
}

TEST(SettingsLoad, ExportFolderGetsItsFinalSeparator)
{
    Workspace ws(3);
    const std::pair<QString, QString> cases[] = {
        {u"C:\\SEPA\\"_qs, u"C:\\SEPA\\"_qs}, {u"/srv/sepa/"_qs, u"/srv/sepa/"_qs},
        {u"/srv/sepa"_qs, u"/srv/sepa"_qs + QDir::separator()}};
    for (const auto &[stored, loaded] : cases) {
        ws.writeSettings({u"ExportPfad="_qs + stored});
        auto form = ws.form();
        ASSERT_TRUE(LoadSettings(*form));
        EXPECT_EQ(form->strExportPfad, loaded) << stored.toStdString();
    }
}

TEST(SettingsRoundTrip, AWindowsFileComesBackByteIdenticalExceptWhereNormalised)
{
    Workspace ws(5);
    QStringList lines = {
        u"ExportPfad=C:\\SEPA\\Ausgang\\"_qs, u"Firma=Würzburg"_qs, u"Firmenname=Größer & Co"_qs,
        u"Adresse=Hauptstraße 1"_qs, u"PLZ=97070"_qs, u"Ort=Würzburg"_qs, u"Telefon=0931 1"_qs,
        u"Telefax=0931 2"_qs, u"Email=info@example.de"_qs, u"Bank=Sparkasse Mainfranken"_qs,
        u"Bankleitzahl=BYLADEM1SWU"_qs, u"Kontonummer=DE89370400440532013000"_qs,
        u"GlaubigerID=DE98ZZZ09999999999"_qs, u"Verwendungszweck=Beitrag"_qs, u"Referenznummer="_qs,
        u"FBGVersion=Wahr"_qs, u"BeitraegeNetto=Falsch"_qs, u"AbsenderNichtDrucken=Ja"_qs,
        u"WarnmeldungBankverbindung=Falsch"_qs, u"RundeBeitrag1=Wahr"_qs, u"RundeBeitrag2=Falsch"_qs,
        u"RundeBeitrag3=Falsch"_qs, u"RundeBeitrag4=Falsch"_qs, u"RundeBeitrag5=Wahr"_qs, u"Fibu="_qs,
        u"Berechnungsbasis=1"_qs, u"FibuZiel="_qs, u"BankKonto=1200"_qs, u"WBVKonto=8400"_qs,
        u"MBTKonto=8401"_qs, u"HaftpflichtKonto=8402"_qs, u"SturmKonto=8403"_qs, u"Konto5=8404"_qs,
        u"EinzelbuchungenDrucken=1"_qs, u"RechnungsUeberschriftDrucken=0"_qs, u"SortNummer=3"_qs,
        u"Währung=EUR"_qs, u"AbsenderLinks=900"_qs, u"AbsenderOben=2000"_qs, u"AnschriftLinks=950"_qs,
        u"AnschriftOben=3300"_qs, u"Kopf drucken=1"_qs, u"Bankverbindung drucken=0"_qs,
        u"SEPA_Buchungstext_VZ_FIBU_RNR=1"_qs, u"Logo=C:\\Logos\\fbg.jpg"_qs, u"Steuernummerfeld=BLZ1"_qs,
        u"Steuernummer=123/456/78901"_qs,
        u"0007 Forstbetriebsgemeinschaft Hochwald e.V. Mindest1=10,00"_qs,
        u"0007 Forstbetriebsgemeinschaft Hochwald e.V. Mindest2="_qs,
        u"0007 Forstbetriebsgemeinschaft Hochwald e.V. Mindest3="_qs,
        u"0007 Forstbetriebsgemeinschaft Hochwald e.V. Mindest4="_qs,
        u"0007 Forstbetriebsgemeinschaft Hochwald e.V. Mindest5=2,5"_qs,
        u"0050 Größer & Co Mindest1="_qs,
        u"0050 Größer & Co Mindest2=3"_qs,
        u"0050 Größer & Co Mindest3="_qs,
        u"0050 Größer & Co Mindest4="_qs,
        u"0050 Größer & Co Mindest5="_qs,
        u"SONDERBEITRAG=0"_qs, u"ANTEILIGE-BERECHNUNG=1"_qs, u"BEZEICHNUNG=Staffel 2026"_qs,
        u"BERECHNUNG=HaStaffel"_qs,
        u"STAFFEL-FLAECHEN=0,0000;1,0000;5,0000;10,0000;0,0000;0,0000;0,0000;0,0000;0,0000;0,0000;0,0000"_qs,
        u"STAFFEL-PREISE=10,00;15,00;20,00;30,00;0,00;0,00;0,00;0,00;0,00;0,00;0,00"_qs,
        u"FORMEL-MINDESTBETRAG-HA=2,0000"_qs, u"FORMEL-MINDESTBETRAG-PREIS=15,00"_qs,
        u"FORMEL-ZUSCHLAG-HA=1,0000"_qs, u"FORMEL-ZUSCHLAG-PREIS=5,00"_qs,
        u"FORMEL-HOECHSTBEITRAG=500,00"_qs, u"FORMEL-KOMMASTELLEN=1"_qs, u"SEPAFormat=pain.008.001.02"_qs,
        u"ERechnung=Alle"_qs, u"VorlaufBankarbeitstage=2"_qs, u"VorabankuendigungTage=5"_qs,
        u"VergleichAbweichungProzent=10"_qs, u"WirtschaftsjahrBeginn=7"_qs, u"UStIdNr=DE123456789"_qs,
        u"Steuerbefreiung1=Nicht steuerbarer Mitgliedsbeitrag"_qs,
        u"Steuerbefreiung2=Versicherungsleistung, steuerfrei nach § 4 Nr. 10 UStG"_qs,
        u"Steuerbefreiung3=Nicht steuerbarer Mitgliedsbeitrag"_qs, u"Steuerbefreiung4=Kleinunternehmer nach § 19 UStG"_qs,
        u"Steuerbefreiung5=Nicht steuerbarer Mitgliedsbeitrag"_qs,
        u"EMailVersand=Unternehmer"_qs, u"EMailPapierAuch=0"_qs,
        u"SMTPServer=mail.example.de"_qs, u"SMTPPort=465"_qs, u"SMTPVerschluesselung=TLS"_qs,
        u"SMTPUnverschluesseltErlaubt=0"_qs, u"SMTPBenutzer=fbg"_qs, u"SMTPZertifikat="_qs, u"EMailAbsender="_qs,
        u"EMailAntwortAn=kasse@example.de"_qs, u"EMailProMinute=60"_qs, u"[Mahnung]"_qs, u"Bitte überweisen Sie"_qs, u"bis zum 31.12."_qs, u"[Ende]"_qs,
        u"[Leer]"_qs, u""_qs, u"[ENDE]"_qs};
    ws.writeSettings(lines);
    const QByteArray original = ws.settingsBytes();
    // The creditor boxes show the database's values of the selected creditor, so the
    // database holds what the file holds.
    ws.execSql(u"update personal set Name = 'Größer & Co', Strasse = 'Hauptstraße 1', PLZ = '97070', "
               "Ort = 'Würzburg', Telefon = '0931 1', Telefax = '0931 2', Email = 'info@example.de', "
               "BANK = 'Sparkasse Mainfranken', BIC = 'BYLADEM1SWU', IBAN = 'DE89370400440532013000', "
               "GlaubigerID = 'DE98ZZZ09999999999', BLZ1 = '123/456/78901' where Nummer = 50"_qs);

    auto form = ws.form();
    ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready) << ws.ui.texts().join(u'|').toStdString();
    EXPECT_EQ(form->lModelle, 2);
    EXPECT_EQ(form->aModelle[0][1], u"Bitte überweisen Sie\r\nbis zum 31.12."_qs);
    EXPECT_EQ(form->txtFixtext.Text, form->aModelle[0][1]);
    EXPECT_EQ(form->aModelle[1][1], u""_qs);
    EXPECT_EQ(form->lWirtschaftsjahrBeginn, 7);
    EXPECT_EQ(form->strUStIdNr, u"DE123456789"_qs);
    EXPECT_EQ(form->aSteuerbefreiung[3], u"Kleinunternehmer nach § 19 UStG"_qs);
    ASSERT_TRUE(Form_Unload(*form));

    // The only normalisation this file meets: the end line of a section is written "[Ende]".
    QByteArray expected = original;
    expected.replace("[ENDE]", "[Ende]");
    EXPECT_EQ(ws.settingsBytes(), expected);
    EXPECT_TRUE(original.contains("W\xfcrzburg")); // a single Windows-1252 byte
}

TEST(SettingsSave, NormalisesBooleansRemittanceTextAndDropsUnknownKeys)
{
    Workspace ws(3);
    ws.writeSettings({u"FBGVersion=True"_qs, u"RundeBeitrag3=-1"_qs, u"Unbekannt=weg"_qs,
                      u"Verwendungszweck=Beiträge für Grünwald"_qs});
    auto form = ws.form();
    ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
    form->txtVerwendungszweck.Text += u"\r\nzweite Zeile"_qs;
    ASSERT_TRUE(Form_Unload(*form));
    const QString text = decodeCp1252(ws.settingsBytes());
    EXPECT_TRUE(text.contains(u"\r\nFBGVersion=Wahr\r\n"_qs));
    EXPECT_TRUE(text.contains(u"\r\nRundeBeitrag3=Wahr\r\n"_qs));
    EXPECT_FALSE(text.contains(u"Unbekannt"_qs));
    EXPECT_TRUE(text.contains(u"\r\nVerwendungszweck=Beitraege fuer Gruenwald zweite Zeile\r\n"_qs));
}

TEST(SettingsSave, AFailedWriteIsReported)
{
    Workspace ws(3);
    ws.writeSettings(demoSettings());
    auto form = ws.form();
    ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
    // The program folder vanishes and a plain file takes its place: nothing can be written.
    QDir(ws.programDir()).removeRecursively();
    appendAnsiLines(ws.programDir(), {u"kein Ordner"_qs});
    EXPECT_FALSE(Form_Unload(*form));
    ASSERT_FALSE(ws.ui.messages.isEmpty());
    EXPECT_TRUE(ws.ui.messages.last().text.startsWith(u"Die Einstellungen konnten nicht gespeichert werden."_qs));
}

// A settings file saved as UTF-8 by a modern editor (with or without its byte order mark)
// is read as UTF-8 and written back as UTF-8; Windows-1252 stays what it was.
TEST(SettingsRoundTrip, AUtf8FileIsReadAndWrittenAsUtf8)
{
    for (const QByteArray &bom : {QByteArray(), QByteArray("\xEF\xBB\xBF")}) {
        SCOPED_TRACE(bom.isEmpty() ? "without BOM" : "with BOM");
        Workspace ws(3);
        QStringList lines = demoSettings();
        lines << u"[Mahnung]"_qs << u"Bitte überweisen Sie an die FBG Süd – danke!"_qs << u"[Ende]"_qs;
        QFile file(ws.settingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bom + lines.join(u"\r\n"_qs).toUtf8() + "\r\n");
        file.close();

        auto form = ws.form();
        ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready) << ws.ui.texts().join(u'|').toStdString();
        EXPECT_EQ(form->aModelle[0][1], u"Bitte überweisen Sie an die FBG Süd – danke!"_qs);
        ASSERT_TRUE(Form_Unload(*form));
        const QByteArray saved = ws.settingsBytes();
        EXPECT_TRUE(saved.startsWith(bom + lines.first().toUtf8()));
        EXPECT_EQ(saved.startsWith("\xEF\xBB\xBF"), !bom.isEmpty());
        EXPECT_TRUE(saved.contains("FBG S\xC3\xBC" "d \xE2\x80\x93 danke!")) << saved.toStdString();
        EXPECT_EQ(detectTextEncoding(saved), bom.isEmpty() ? TextEncoding::Utf8 : TextEncoding::Utf8WithBom);
    }
    // Windows-1252 with umlauts is no valid UTF-8, and plain ASCII stays the seed's default.
    EXPECT_EQ(detectTextEncoding("Ort=W\xfcrzburg\r\n"), TextEncoding::Cp1252);
    EXPECT_EQ(detectTextEncoding("Ort=Wuerzburg\r\n"), TextEncoding::Cp1252);
    EXPECT_EQ(detectTextEncoding("Ort=Gr\xC3\xB6\xC3\x9F" "e\r\n"), TextEncoding::Utf8);

    // The suite's INI file too.
    QTemporaryDir dir;
    QFile ini(dir.filePath(u"quarvel.Ini"_qs));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Datenbank]\r\nSQLServer=SRV\\S\xC3\x9C" "D\r\nDatabaseName=Forst S\xC3\xBC" "d\r\n");
    ini.close();
    EXPECT_EQ(ReadFile(ini.fileName(), u"DatabaseName"_qs), u"Forst Süd"_qs);
    EXPECT_EQ(ReadFile(ini.fileName(), u"SQLServer"_qs), u"SRV\\SÜD"_qs);
}
