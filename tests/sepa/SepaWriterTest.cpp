#include "app/FrmDTA.h"
#include "commands/ProgramStart.h"
#include "files/AnsiTextFile.h"
#include "run/RunDriver.h"
#include "core/RunError.h"
#include "core/ErrorLog.h"
#include "text/Conversions.h"
#include "sepa/BookingSelection.h"
#include "sepa/SepaSchema.h"
#include "run/SepaStep.h"
#include "support/Workspace.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QProcess>
#include <QSqlQuery>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <random>

using namespace qvl;
using namespace qvl::test;

namespace {

// A started form ready for a direct-debit run of fee 1 into <root>/export.
struct DirectDebitRun {
    Workspace ws{40};
    std::unique_ptr<FrmDTA> form;
    QString exportDir;

    DirectDebitRun()
    {
        exportDir = ws.root() + u"/export/"_qs;
        QDir(ws.root()).mkdir(u"export"_qs);
        QStringList settings = demoSettings();
        settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + exportDir);
        settings.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
        settings.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
        ws.writeSettings(settings);
        form = ws.form();
        EXPECT_EQ(Form_Load(*form, {}), StartupResult::Ready);
        form->chkBeitrag[0].Value = 1;
        form->txtMindestbeitrag[0].Text = u"10"_qs;
        form->chkEinzelbuchungen.Value = 0; // the SEPA file alone
        ws.ui.messages.clear();
    }

    // Makes owners billable direct-debit members of the selected association (50).
    void billable(const QString &numbers) const
    {
        ws.execSql(u"update personal set Zusatz5 = '0050', Abrech1 = 1, DISABLE = 0 where Nummer in "_qs + numbers);
        ws.execSql(u"update personal_free set BOXFREE1 = 1 where id_personal in "
                   "(select id_personal from personal where Nummer in "_qs + numbers + u')');
    }

    QStringList exportFiles() const { return QDir(exportDir).entryList(QDir::Files); }

    // The first column of every row of a query on the demo database, as texts.
    QStringList query(const QString &sql) const
    {
        QStringList values;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"check-fees"_qs);
            db.setDatabaseName(ws.databaseFile());
            db.open();
            QSqlQuery q(sql, db);
            while (q.next())
                values.append(q.value(0).toString());
        }
        QSqlDatabase::removeDatabase(u"check-fees"_qs);
        return values;
    }

    int storedFees() const
    {
        const QStringList count = query(u"select count(*) from PERSONAL_MG_BEITRAGE"_qs);
        return count.isEmpty() ? -1 : count[0].toInt();
    }
};

bool validates(const QString &file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    const QByteArray text = f.readAll();
    const auto error = sepaSchemaError(
        text.contains("pain.008.001.08") ? SepaFormat::Pain00800108 : SepaFormat::Pain00800102, text);
    if (error)
        ADD_FAILURE() << error->line << ": " << error->message.toStdString();
    return !error;
}

} // namespace

TEST(SepaWriter, ADirectDebitRunWritesOneValidFileAndStoresEveryFee)
{
    for (const QString &format : {u"pain.008.001.08"_qs, u"pain.008.001.02"_qs}) {
        DirectDebitRun r;
        r.billable(u"(1000)"_qs);
        r.ws.execSql(u"update personal set IBAN = 'DE00370400440532013000' where Nummer = 1000"_qs);
        r.form->cmbSEPAFormat.ListIndex = int(r.form->cmbSEPAFormat.List.indexOf(format));
        const RunReport report = cmdStart_Click(*r.form);
        ASSERT_EQ(report.outcome, RunOutcome::Completed) << r.ws.ui.texts().join(u'|').toStdString();
        ASSERT_EQ(report.outputs.size(), 1);
        EXPECT_EQ(QFileInfo(report.outputs[0]).fileName(), u"MB_Mitgliedsbeitrag_06122026T100000.xml"_qs);
        EXPECT_EQ(r.exportFiles(), QStringList{u"MB_Mitgliedsbeitrag_06122026T100000.xml"_qs}); // no temporary left
        QFile file(report.outputs[0]);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
        EXPECT_TRUE(text.contains(("xmlns=\"urn:iso:std:iso:20022:tech:xsd:" + format + "\"").toUtf8()));
        EXPECT_TRUE(text.contains("<CreDtTm>2026-12-06T10:00:00</CreDtTm>"));
        const int transactions = int(text.count("<DrctDbtTxInf>"));
        EXPECT_GT(transactions, 5);
        EXPECT_TRUE(text.contains(("<NbOfTxs>" + QString::number(transactions) + "</NbOfTxs>").toUtf8()));
        EXPECT_EQ(r.storedFees(), transactions);
        EXPECT_TRUE(validates(report.outputs[0]));

        // The demo's broken IBANs are logged, the user told, and the log opened.
        const auto log = readAnsiLines(logFilePath(r.ws.programDir()));
        ASSERT_TRUE(log.has_value());
        EXPECT_TRUE(log->last().startsWith(u"2026.12.06 - 10:00:00;Es sind "_qs)) << log->last().toStdString();
        EXPECT_TRUE(log->last().contains(u" Buchungen aufgetreten. Kontrollsumme: EUR "_qs));
        // The message begins with a capital and names the log file.
        const QString told = sepaErrorsMessage(logFilePath(r.ws.programDir()));
        EXPECT_TRUE(told.startsWith(u"Beim Export sind Fehler aufgetreten."_qs));
        EXPECT_TRUE(told.contains(QDir::toNativeSeparators(logFilePath(r.ws.programDir()))));
        EXPECT_TRUE(r.ws.ui.texts().contains(told));
        EXPECT_EQ(r.ws.ui.openedFiles, QStringList{logFilePath(r.ws.programDir())});
    }
}

TEST(SepaWriter, FaultyBankDataIsLoggedOneLineEachAndNeverBreaksTheFile)
{
    const struct {
        int owner;
        const char *column;
        const char *value; // nullptr: NULL
        const char16_t *logged; // the end of the owner's log line; nullptr: none
    } cases[] = {
        {1000, "IBAN", "de89 3704 0044 0532 0130 00", nullptr},
        {1001, "IBAN", "DE88370400440532013000", u" IBAN ist ungültig (Prüfziffer oder Länge). DE88370400440532013000 Die Lastschrift wurde nicht in die Datei geschrieben."},
        {1002, "IBAN", "AT61190430023457320", u" IBAN hat nicht die erforderliche Länge. AT61190430023457320 Die Lastschrift wurde nicht in die Datei geschrieben."},
        {1003, "IBAN", nullptr, u" IBAN hat nicht die erforderliche Länge. Die Lastschrift wurde nicht in die Datei geschrieben."},
        {1004, "IBAN", "XY12-3456", u" IBAN ist ungültig (Prüfziffer oder Länge). XY12-3456 Die Lastschrift wurde nicht in die Datei geschrieben."},
        {1005, "BIC", "cobadeffxx", u" BIC ist ungültig und wird nicht übertragen. cobadeffxx"},
        {1006, "MANDATSNUMMER", "MR//7", u" Mandatsreferenz enthält unzulässige Zeichen. MR//7"},
        {1007, "MANDATSNUMMER", "  ", nullptr},
        {1008, "BIC", " cobadeffxxx ", nullptr},
    };
    DirectDebitRun r;
    QStringList owners;
    for (const auto &c : cases) {
        const QString owner = QString::number(c.owner);
        owners << owner;
        r.ws.execSql(u"update personal set use_bank2 = 0, IBAN = 'DE89370400440532013000', BIC = 'COBADEFFXXX', "
                     "MANDATSNUMMER = 'MR-"_qs + owner + u"' where Nummer = "_qs + owner);
        r.ws.execSql(u"update personal set "_qs + QString::fromUtf8(c.column) + u" = "_qs
                     + (c.value ? u"'"_qs + QString::fromUtf8(c.value) + u"'"_qs : u"NULL"_qs) + u" where Nummer = "_qs
                     + owner);
    }
    const QString list = u'(' + owners.join(u',') + u')';
    r.billable(list);
    r.form->strWBIN = list;
    const RunReport report = cmdStart_Click(*r.form);
    ASSERT_EQ(report.outcome, RunOutcome::Completed) << r.ws.ui.texts().join(u'|').toStdString();

    const QStringList log = readAnsiLines(logFilePath(r.ws.programDir())).value_or(QStringList());
    ASSERT_EQ(log.size(), 7) << log.join(u'\n').toStdString();
    for (const auto &c : cases) {
        const QString who = u';' + QString::number(c.owner) + u' ';
        const QStringList lines = log.filter(who);
        EXPECT_EQ(lines.size(), c.logged ? 1 : 0) << c.owner;
        if (c.logged && !lines.isEmpty()) {
            EXPECT_TRUE(lines[0].endsWith(QString::fromUtf16(c.logged))) << lines[0].toStdString();
        }
    }
    // The file holds what could be written; its count and sum say so, and so do the log
    // and the stored fees.
    QFile file(report.outputs.value(0));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(validates(file.fileName()));
    // An IBAN of wrong check digits or length is left out like one the file cannot carry.
    EXPECT_EQ(text.count("<DrctDbtTxInf>"), 5);
    EXPECT_TRUE(text.contains("<NbOfTxs>5</NbOfTxs>"));
    EXPECT_EQ(r.storedFees(), 5);
    EXPECT_TRUE(log.last().contains(u"Es sind 6 Fehler von gesamt 5 Buchungen aufgetreten. Kontrollsumme: EUR "_qs));
    double sum = 0;
    for (qsizetype at = 0; (at = text.indexOf("<InstdAmt Ccy=\"EUR\">", at)) >= 0;) {
        at += 20;
        sum += text.mid(at, text.indexOf('<', at) - at).toDouble();
    }
    EXPECT_TRUE(text.contains("<CtrlSum>" + QByteArray::number(sum, 'g', 15) + "</CtrlSum>")) << sum;
    EXPECT_TRUE(text.contains("<IBAN>DE89370400440532013000</IBAN>"));
    EXPECT_FALSE(text.contains("XY12"));
    EXPECT_TRUE(text.contains("<MndtId>1007</MndtId>"));
    EXPECT_TRUE(text.contains("<BICFI>COBADEFFXXX</BICFI>"));
    EXPECT_EQ(text.count("<Id>NOTPROVIDED</Id>"), 1);
    EXPECT_TRUE(r.ws.ui.texts().contains(sepaErrorsMessage(logFilePath(r.ws.programDir()))));
}

TEST(SepaWriter, NoWritableIbanMeansNoFileAndNothingStored)
{
    DirectDebitRun r;
    r.ws.execSql(u"update personal set use_bank2 = 0, IBAN = '' where Nummer in (1000, 1001)"_qs);
    r.billable(u"(1000,1001)"_qs);
    r.form->strWBIN = u"(1000,1001)"_qs;
    // The check before the run knows it: an error, so the run cannot start.
    EXPECT_EQ(cmdStart_Click(*r.form).outcome, RunOutcome::Stopped);
    ASSERT_EQ(r.ws.ui.runChecks.size(), 1);
    const QList<CheckItem> errors = r.ws.ui.runChecks[0].itemsOf(CheckGrade::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0].kind, CheckKind::NoWritableIban);
    EXPECT_TRUE(errors[0].text.startsWith(u"Keine der 2 Buchungen hat eine IBAN"_qs)) << errors[0].text.toStdString();
    EXPECT_TRUE(r.exportFiles().isEmpty());
    EXPECT_EQ(r.storedFees(), 0);

    // The writer itself refuses such a run as well, with nothing written.
    std::unique_ptr<Database> db = Database::open(r.form->strConnectionString, r.form->connectionOptions);
    Buchung b;
    b.Nummer = 1000;
    b.SummeCent = Money(1000);
    b.RechNr = u"1"_qs;
    try {
        CreateSEPAFile(*r.form, r.exportDir, {b});
        ADD_FAILURE() << "a file without a debit";
    } catch (const RunError &e) {
        EXPECT_TRUE(e.message().startsWith(u"Es wurde keine SEPA-Datei erstellt: keine der 1 Buchungen"_qs))
            << e.message().toStdString();
    }
    EXPECT_TRUE(r.exportFiles().isEmpty());
    EXPECT_EQ(r.storedFees(), 0);
}

// The bank file's collection date is a date, never the box's text: one that is no date is
// refused before the file is begun, and no fee is stored.
TEST(SepaWriter, AnUnreadableDueDateNeverReachesTheFile)
{
    DirectDebitRun r;
    Buchung b;
    b.Nummer = 1000;
    b.SummeCent = Money(1000);
    b.RechNr = u"1"_qs;
    b.IBAN = u"DE89370400440532013000"_qs;
    b.BIC = u"COBADEFFXXX"_qs;
    r.form->txtFaellDat.Text = u"nächste Woche"_qs;
    try {
        CreateSEPAFile(*r.form, r.exportDir, {b});
        ADD_FAILURE() << "a file without a collection date";
    } catch (const RunError &e) {
        EXPECT_EQ(e.message(), u"Das Fälligkeitsdatum „nächste Woche“ ist kein gültiges Datum. Bitte korrigieren Sie es."_qs);
    }
    EXPECT_TRUE(QDir(r.exportDir).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(r.storedFees(), 0);

    // Given as a date, it is the file's ReqdColltnDt and every stored fee's due date.
    r.form->txtFaellDat.Text = u"2.1.27"_qs;
    const SepaExport written = CreateSEPAFile(*r.form, r.exportDir, {b});
    QFile file(written.file);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("<ReqdColltnDt>2027-01-02</ReqdColltnDt>"));
    const QStringList due = r.query(u"select distinct datum_bezahlt from PERSONAL_MG_BEITRAGE"_qs);
    ASSERT_EQ(due.size(), 1);
    EXPECT_TRUE(due[0].startsWith(u"2027-01-02"_qs)) << due[0].toStdString();
}

TEST(SepaWriter, NothingHalfDoneWhenTheFolderOrAStatementFails)
{
    // The export folder is missing: the run stops before it reads anything.
    {
        DirectDebitRun r;
        r.form->strExportPfad = r.ws.root() + u"/fehlt/"_qs;
        EXPECT_EQ(cmdStart_Click(*r.form).outcome, RunOutcome::Stopped);
        EXPECT_TRUE(r.ws.ui.messages.last().text.startsWith(u"Der Exportordner „"_qs));
        EXPECT_EQ(r.storedFees(), 0);
    }
    // A statement fails midway: everything rolled back, the partial file removed.
    {
        DirectDebitRun r;
        r.ws.execSql(u"create trigger kaputt before insert on PERSONAL_MG_BEITRAGE when new.id_personal > 5010 "
                     "begin select raise(abort, 'Speicher voll'); end"_qs);
        EXPECT_EQ(cmdStart_Click(*r.form).outcome, RunOutcome::Failed);
        EXPECT_TRUE(r.ws.ui.messages.last().text.contains(u"Speicher voll"_qs));
        EXPECT_EQ(r.storedFees(), 0);
        EXPECT_TRUE(r.exportFiles().isEmpty()) << r.exportFiles().join(u' ').toStdString();
        EXPECT_EQ(r.ws.ui.busyDepth, 0);
    }
}

// Texts from every corner of Unicode that master data has been seen to hold: controls,
// characters XML forbids, lone surrogates, XML specials, emoji, CJK, combining marks.
class HostileTexts {
public:
    explicit HostileTexts(unsigned seed) : m_random(seed) {}

    int below(int n) { return int(m_random() % unsigned(n)); }

    QString text(int maxLength)
    {
        static const char32_t ranges[][2] = {
            {0x00, 0x1F}, {0x7F, 0x9F}, {0x20, 0x7E}, {'&', '&'}, {'<', '>'}, {'"', '\''}, {0xA0, 0x17F},
            {0x300, 0x36F}, {0x4E00, 0x4FFF}, {0x1F300, 0x1F64F}, {0xD800, 0xDFFF}, {0xFFF0, 0xFFFF}, {' ', ' '}};
        QString s;
        const int length = below(4) == 0 ? maxLength : below(maxLength + 1);
        while (s.size() < length) {
            const auto &range = ranges[below(std::size(ranges))];
            const char32_t c = range[0] + char32_t(below(int(range[1] - range[0] + 1)));
            if (c >= 0x10000)
                s += QString::fromUcs4(&c, 1);
            else
                s += QChar(char16_t(c)); // lone surrogates included on purpose
        }
        return s;
    }

    QString oneOf(std::initializer_list<QString> choices) { return choices.begin()[below(int(choices.size()))]; }

private:
    std::mt19937 m_random;
};

Buchungen hostileOwners(unsigned seed, int count)
{
    HostileTexts r(seed);
    Buchungen records(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Buchung &b = records[std::size_t(i)];
        b.Id_Personal = 5000 + i;
        b.Nummer = 1000 + i;
        b.Name = r.text(200);
        b.Vorname = r.text(40);
        b.PLZ = r.text(10);
        b.Ort = r.text(50);
        b.Strasse = r.text(80);
        b.FibuKonto = r.text(12);
        b.RechNr = r.text(12);
        b.IBAN = r.oneOf({u"DE89370400440532013000"_qs, u"ch93 0076 2011 6238 5295 7"_qs, u"GB29NWBK60161331926819"_qs,
                          u""_qs, u"   "_qs, u"DE89"_qs, r.text(34)});
        b.BIC = r.oneOf({u"COBADEFFXXX"_qs, u"cobadeff"_qs, u"NOTPROVIDED"_qs, u""_qs, u"1234DEFF"_qs, r.text(11)});
        b.Mandatsnummer = r.oneOf({u""_qs, u"   "_qs, u"MR-1/2"_qs, u"\u0001\u0002"_qs, r.text(40)});
        b.Hektar = r.below(100000) / 100.0;
        b.SummeCent = Money(1 + r.below(1000000));
    }
    return records;
}

// Every file written from hostile owner data is well-formed (to Qt's own parser) and
// valid (to xmllint), and every booking is either in it or logged as left out.
TEST(SepaWriter, HostileOwnerDataAlwaysGivesAValidFile)
{
    for (const unsigned seed : {1u, 7u, 42u, 2026u}) {
        for (const QString &format : {u"pain.008.001.08"_qs, u"pain.008.001.02"_qs}) {
            SCOPED_TRACE(format.toStdString() + " seed " + std::to_string(seed));
            DirectDebitRun r;
            r.form->cmbSEPAFormat.ListIndex = int(r.form->cmbSEPAFormat.List.indexOf(format));
            r.form->strBeitragsText = u"Mitgliedsbeitrag"_qs;
            HostileTexts texts(seed + 1);
            r.form->txtFirmenName.Text = texts.text(100);
            r.form->txtVerwendungszweck.Text = texts.text(60);
            const Buchungen owners = hostileOwners(seed, 300);
            const SepaExport result = CreateSEPAFile(*r.form, r.exportDir, owners);

            QFile file(result.file);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray text = file.readAll();
            QXmlStreamReader reader(text);
            while (!reader.atEnd())
                reader.readNext();
            EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
            QProcess xmllint;
            xmllint.start(u"xmllint"_qs, {u"--noout"_qs, u"--schema"_qs,
                                          QStringLiteral(QVL_SOURCE_DIR "/sepa/schema/") + format + u".xsd"_qs,
                                          result.file});
            ASSERT_TRUE(xmllint.waitForFinished(60000));
            EXPECT_EQ(xmllint.exitCode(), 0) << xmllint.readAllStandardError().toStdString();

            const qsizetype written = text.count("<DrctDbtTxInf>");
            const QStringList log = readAnsiLines(logFilePath(r.ws.programDir())).value_or(QStringList());
            EXPECT_GT(written, 0);
            EXPECT_EQ(written, result.numberOfTransactions);
            EXPECT_EQ(r.storedFees(), written);
            EXPECT_EQ(written + log.filter(u"Die Lastschrift wurde nicht in die Datei geschrieben."_qs).size(),
                      qsizetype(owners.size()));
        }
    }
}

TEST(SepaWriter, AFileThatFailsTheSchemaIsNeverHandedOut)
{
    for (const QString &format : {u"pain.008.001.08"_qs, u"pain.008.001.02"_qs}) {
        DirectDebitRun r;
        r.form->cmbSEPAFormat.ListIndex = int(r.form->cmbSEPAFormat.List.indexOf(format));
        int block = 0;
        QString debtor;
        setSepaBlockFilterForTests([&](QByteArray &bytes) {
            if (block++ != 2)
                return;
            const qsizetype name = bytes.indexOf("<Nm>") + 4;
            debtor = QString::fromUtf8(bytes.mid(name, bytes.indexOf(',', name) - name));
            bytes.replace("<IBAN>", "<IBAN>?");
        });
        const RunReport report = cmdStart_Click(*r.form);
        setSepaBlockFilterForTests({});
        EXPECT_EQ(report.outcome, RunOutcome::Failed);
        ASSERT_FALSE(debtor.isEmpty());
        const QString message = r.ws.ui.messages.last().text;
        EXPECT_TRUE(message.contains(u" entspricht nicht dem Schema "_qs + format)) << message.toStdString();
        EXPECT_TRUE(message.contains(u' ' + debtor + u", Feld IBAN."_qs)) << message.toStdString();
        EXPECT_TRUE(QDir(r.exportDir).entryList(QDir::Files | QDir::Hidden | QDir::System).isEmpty());
        EXPECT_EQ(r.storedFees(), 0);
    }
}

TEST(SepaWriter, ASecondRunReplacesTheOwnersRowsAndGetsAMessageIdOfItsOwn)
{
    DirectDebitRun r;
    r.billable(u"(1004)"_qs);
    r.form->strWBIN = u"(1004)"_qs;
    ASSERT_EQ(cmdStart_Click(*r.form).outcome, RunOutcome::Completed);
    r.ws.clock.set(QDateTime(QDate(2026, 12, 6), QTime(11, 0)));
    r.ws.ui.answers = {MsgResult::Yes}; // the repeated-run question
    ASSERT_EQ(cmdStart_Click(*r.form).outcome, RunOutcome::Completed);
    EXPECT_TRUE(r.ws.ui.texts().contains(
        u"Für 2026 sind bereits Beiträge gespeichert, die dieser Lauf ein zweites Mal einziehen würde: "
        "„Mitgliedsbeitrag“ bei 1 Waldbesitzer (zuletzt Lauf „2026 Mitgliedsbeitrag“ vom 06.12.2026). Wurde jener "
        "Lauf nicht eingezogen, löschen Sie ihn zuerst unter „gespeicherte Beiträge löschen“.\n\nTrotzdem "
        "fortfahren und diese Beiträge noch einmal einziehen?"_qs))
        << r.ws.ui.texts().join(u'|').toStdString();
    EXPECT_EQ(r.storedFees(), 1);
    QFile file(r.exportDir + u"MB_Mitgliedsbeitrag_06122026T110000.xml"_qs);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    // The run's moment and its random id: never the first run's, though its owners are.
    const QRegularExpressionMatch id =
        QRegularExpression(u"<MsgId>(QVL20261206110000-[0-9a-f]{8})</MsgId>"_qs).match(QString::fromUtf8(text));
    ASSERT_TRUE(id.hasMatch()) << text.left(600).toStdString();
    EXPECT_TRUE(text.contains("<PmtInfId>LS00" + id.captured(1).toUtf8() + "</PmtInfId>"));
}

TEST(SepaWriter, InvalidCreditorDataStopsTheRunBeforeAnythingIsWritten)
{
    const struct {
        TextBox FrmDTA::*field;
        const char16_t *typed;
        const char16_t *message; // empty: the run goes through
    } cases[] = {
        {&FrmDTA::txtGlaubigerID, u"DE99ZZZ09999999999", u"Die GläubigerID ist ungültig. Bitte prüfen Sie die Eingabe."},
        {&FrmDTA::txtKontonummer, u"DE82701900000007654321", u"Die IBAN ist ungültig. Bitte prüfen Sie die Eingabe."},
        {&FrmDTA::txtKontonummer, u"DE8170190000000765432", u"Die IBAN ist ungültig. Bitte prüfen Sie die Eingabe."},
        {&FrmDTA::txtKontonummer, u"de81 7019 0000 0007 6543 21", nullptr},
        {&FrmDTA::txtBankleitzahl, u"GENODEF1M0", u"Die BIC ist ungültig. Bitte prüfen Sie die Eingabe."},
        {&FrmDTA::txtBankleitzahl, u"genodef1m01", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
        DirectDebitRun r;
        r.billable(u"(1004)"_qs);
        r.form->strWBIN = u"(1004)"_qs;
        (r.form.get()->*c.field).Text = QString::fromUtf16(c.typed);
        const RunReport report = cmdStart_Click(*r.form);
        if (!c.message) {
            EXPECT_EQ(report.outcome, RunOutcome::Completed) << r.ws.ui.texts().join(u'|').toStdString();
            continue;
        }
        EXPECT_EQ(report.outcome, RunOutcome::Stopped);
        EXPECT_EQ(r.ws.ui.messages.last().text, QString::fromUtf16(c.message));
        EXPECT_EQ(r.ws.ui.messages.last().icon, MsgIcon::None);
        EXPECT_TRUE(r.exportFiles().isEmpty());
        EXPECT_EQ(r.storedFees(), 0);
    }
}

TEST(SepaWriter, StoresARealInvoiceDateEmptyMeaningTheRunsDay)
{
    const std::pair<QString, QString> cases[] = {
        {QString(), u"2026-12-06 2026-12-21"_qs},     // the run's day (the clock's)
        {u" 6.1.27 "_qs, u"2027-01-06 2026-12-21"_qs}, // as typed, two-digit year
    };
    for (const auto &[typed, stored] : cases) {
        SCOPED_TRACE(typed.toStdString());
        DirectDebitRun r;
        r.billable(u"(1004)"_qs);
        r.form->strWBIN = u"(1004)"_qs;
        r.form->txtRechDat.Text = typed;
        r.form->txtFaellDat.Text = u"21.12.26"_qs;
        ASSERT_EQ(cmdStart_Click(*r.form).outcome, RunOutcome::Completed) << r.ws.ui.texts().join(u'|').toStdString();
        EXPECT_EQ(r.query(u"select datum_verrechnet || ' ' || datum_bezahlt from PERSONAL_MG_BEITRAGE"_qs),
                  QStringList{stored});
    }
}

// Thousands of debits near the largest amount: the control sum, the slip's total and the
// selection's sum are the exact sum of the debits' cents, never a binary sum's neighbour.
TEST(SepaWriter, TheControlSumIsTheExactSumOfTheDebitsCents)
{
    DirectDebitRun r;
    r.form->strBeitragsText = u"Mitgliedsbeitrag"_qs;
    Buchungen owners(2000);
    qint64 expected = 0;
    for (std::size_t i = 0; i < owners.size(); ++i) {
        Buchung &b = owners[i];
        b.Id_Personal = 7000 + long(i);
        b.Nummer = 1000 + long(i);
        b.Name = u"Eigner"_qs;
        b.IBAN = u"DE89370400440532013000"_qs;
        b.BIC = u"COBADEFFXXX"_qs;
        b.Mandatsnummer = u"M"_qs + QString::number(i);
        b.SummeCent = Money(99999999999 - qint64(i % 97));
        expected += b.SummeCent.cents();
    }
    // The file writes an amount without trailing zeros ("…031.1").
    QString exact = QString::number(expected / 100) + u'.' + QString::number(expected % 100).rightJustified(2, u'0');
    while (exact.endsWith(u'0'))
        exact.chop(1);
    if (exact.endsWith(u'.'))
        exact.chop(1);
    const SepaExport result = CreateSEPAFile(*r.form, r.exportDir, owners);
    EXPECT_EQ(result.controlSumCent.cents(), expected);
    QFile file(result.file);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString xml = QString::fromUtf8(file.readAll());
    EXPECT_EQ(xml.count(u"<CtrlSum>"_qs + exact + u"</CtrlSum>"_qs), 2) << exact.toStdString();
    EXPECT_EQ(Money(expected).sepaText(), exact);

    // 13.305 debits of 999.999.999,99: what a double sum misses by cents.
    Buchungen many(13305, owners.front());
    const BookingSelection selection = selectBookings(SepaFormat::Pain00800108, many);
    EXPECT_EQ(selection.controlSumCent.cents(), 13305 * qint64(99999999999));
    EXPECT_EQ(selection.controlSumCent.sepaText(), u"13304999999866.95"_qs);
    EXPECT_EQ(selection.controlSumCent.german(), u"13.304.999.999.866,95"_qs);
}
