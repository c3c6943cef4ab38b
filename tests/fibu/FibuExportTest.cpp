#include "fibu/CostCentreMap.h"
#include "fibu/FibuExport.h"
#include "fibu/IbmExport.h"

#include "app/FrmDTA.h"
#include "params/FibuFromForm.h"
#include "base/Clock.h"
#include "text/Cp1252.h"
#include "core/RunError.h"
#include "support/FakeUi.h"
#include "support/BookedAmounts.h"
#include "support/FileSizeLimit.h"
#include "fibu/FibuSample.h"
#include "core/FeeAmounts.h"
#include "text/Conversions.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

// A direct-debit run of 6 December 2026 with three owners as the fee calculation leaves
// them: A with fees 1, 2 and 5; C with a negative total (index 1, booked nowhere but
// counted); B with a hostile name and fees 2 and 3. The accounting folder is <tmp>/fibu,
// the program folder <tmp>/program, the cost-centre map <tmp>/kstktr.ini.
class FibuTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    FakeUi ui;
    FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
    FrmDTA form{AppContext{tmp.filePath(u"program"_qs), &ui, &clock, DbOptions(), nullptr}};
    Buchungen records;

    void SetUp() override
    {
        QDir(tmp.path()).mkpath(u"program"_qs);
        QDir(tmp.path()).mkpath(u"fibu"_qs);
        form.Dir1.Path = folder();
        form.LaoderRe[0].Value = true;
        form.txtRechNr.Text = u"1000"_qs;
        form.txtWirtschaftsjahr.Text = u"2026"_qs;
        form.txtMwst[0].Text = u"19"_qs;
        form.txtVerwendungszweck.Text = u"Beitrag; 2026"_qs;
        form.txtBankKonto.Text = u"1200"_qs;
        form.txtMBTKonto.Text = u"8401"_qs;
        form.txtWBVKonto.Text = u"8400"_qs;
        form.txtHaftpflichtkonto.Text = u"8402"_qs;
        form.txtSturmkonto.Text = u"8403"_qs;
        form.txtKonto5.Text = u"8404"_qs;
        form.aBeitragsNamen = {u"Mitgliedsbeitrag"_qs, u"Waldbrand, \"Versicherung\""_qs, u"Haftpflicht"_qs,
                               u"Sturm"_qs, u"Sonder"_qs};
        writeMap("[Allgemein]\r\n234,X,999\r\n[Kostenstellen]\r\n234,A,4711\r\n[Andere]\r\n471,B,777\r\n");

        records = fibuSampleRecords();
    }

    QString folder() const { return tmp.filePath(u"fibu"_qs); }
    void writeMap(const char *text) const
    {
        QFile map(tmp.filePath(u"kstktr.ini"_qs));
        ASSERT_TRUE(map.open(QIODevice::WriteOnly));
        map.write(text);
    }

    // Runs the export of `system`; the files written, by name.
    QStringList exportAs(const QString &system)
    {
        form.strFibu = system;
        QStringList written;
        notices = ExportFibu(fibuSettings(form), withCents(records, form.bBeitraegeNetto), written);
        QStringList names;
        for (const QString &path : written)
            names.append(QFileInfo(path).fileName());
        return names;
    }

    QStringList filesInFolder() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden); }
    // The file's bytes as text (Windows-1252 decoded, CR kept), so a mismatch shows readably.
    std::string bytes(const QString &name) const
    {
        QFile f(QDir(folder()).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(fehlt)");
    }
    // The expected text as the file holds it: Windows-1252, every line ended by CR LF.
    static std::string ansi(const QString &text)
    {
        return encodeCp1252(QString(text).replace(u"\n"_qs, u"\r\n"_qs)).toStdString();
    }

    QStringList notices;
};

// The sample's VAT of fee 1 comes on top of it: the owner's total holds it.
class IbmExport : public FibuTest {
protected:
    void SetUp() override
    {
        FibuTest::SetUp();
        form.bBeitraegeNetto = true;
    }
};
class DatevExport : public FibuTest {};
class SyskaExport : public FibuTest {};
class FibuFailures : public FibuTest {};

const QString kIbmHeader = uR"($AF1BA1,"11",,"LA 06.12.2026","06.12.2026","Beitrag Lastschrift","06.12.2026",,")"_qs;

} // namespace

// ---- Cost-centre map and owner key ----

TEST(CostCentreMap, OnlyWellFormedLinesOfItsOwnSectionCount)
{
    const auto map = fibu::CostCentreMap::parse(
        {u"101,A,1"_qs, u"[kostenstellen]"_qs, u"102,A,2"_qs, u"  [Kostenstellen]  "_qs, u"103,A,3"_qs,
         u"  104, A, 4 "_qs, u""_qs, u"105,A"_qs, u"106,A,6,7"_qs, u"107,A,7"_qs, u"107,B,8"_qs, u"[Ende]"_qs,
         u"108,A,9"_qs});
    const std::pair<const char16_t *, const char16_t *> cases[] = {
        {u"101", u""},   // before the section
        {u"102", u""},   // under a header in the wrong case
        {u"103", u"3"},
        {u"104", u" 4"}, // blanks around a comma stay part of the value
        {u"105", u""},   // two parts
        {u"106", u""},   // four parts
        {u"107", u"8"},  // the last entry of a key wins
        {u"108", u""},   // after the next header
    };
    for (const auto &[key, value] : cases)
        EXPECT_EQ(map.value(QString::fromUtf16(key)), QString::fromUtf16(value)) << QString::fromUtf16(key).toStdString();
    EXPECT_EQ(map.size(), 4);
    EXPECT_FALSE(fibu::CostCentreMap::load(u"/nicht/vorhanden/kstktr.ini"_qs).has_value());
}

TEST(CostCentreMap, OwnerKeyIsTakenFromTheOwnerNumber)
{
    EXPECT_EQ(fibu::ownerKey(12345678), u"234"_qs);
    EXPECT_EQ(fibu::ownerKey(4711), u"471"_qs);
    EXPECT_EQ(fibu::ownerKey(12), u"12"_qs);
    EXPECT_EQ(fibu::ownerKey(123456789), u"123"_qs);
}

// ---- IBM-FIBU ----

TEST_F(IbmExport, DirectDebitRunWritesFeeAndBankBookings)
{
    ASSERT_EQ(exportAs(u"IBM-FIBU"_qs), (QStringList{u"BEITLA20261206_1.df2"_qs, u"LA20261206_1.df2"_qs}));
    EXPECT_TRUE(notices.isEmpty());
    // B's key 471 is mapped only outside the section: an empty cost value, not A's.
    EXPECT_EQ(bytes(u"BEITLA20261206_1.df2"_qs), ansi(kIbmHeader + uR"(
$AF1BG1,"11",,"1000","06.12.2026","12345678",,"62,60",,,,,,"Beitragsrechnung 2026","Mueller Anna",A,,,,,,,,,,"M",,"EUR"
$AF1BG1,"11",,"1000","06.12.2026",,"801000","47,60","M19",,,,,"Mitgliedsbeitrag","Mueller Anna",,,,,,,"234","4711",,,"M",,"EUR"
$AF1BG1,"11",,"1000","06.12.2026",,"805000","10,00",,,,,,"Waldbrand   Versicherung ","Mueller Anna",,,,,,,"234","4711",,,"M",,"EUR"
$AF1BG1,"11",,"1000","06.12.2026",,"805030","5,00",,,,,,"Sonder","Mueller Anna",,,,,,,"234","4711",,,"M",,"EUR"
$AF1BG1,"11",,"1002","06.12.2026","4711",,"15,00",,,,,,"Beitragsrechnung 2026","Schmidt; Söhne   GbR  Bernd  X",A,,,,,,,,,,"M",,"EUR"
$AF1BG1,"11",,"1002","06.12.2026",,"805000","2,50",,,,,,"Waldbrand   Versicherung ","Schmidt; Söhne   GbR  Bernd  X",,,,,,,"471",,,,"M",,"EUR"
$AF1BG1,"11",,"1002","06.12.2026",,"805010","12,50",,,,,,"Haftpflicht","Schmidt; Söhne   GbR  Bernd  X",,,,,,,"471",,,,"M",,"EUR"
)"_qs));
    EXPECT_EQ(bytes(u"LA20261206_1.df2"_qs), ansi(kIbmHeader + uR"(
$AF1BG1,"11",,"1000","06.12.2026","1200",,"62,60",,,,,,"Beitragsrechnung 2026","Mueller Anna",A,,,,,,,,,,"M",,"EUR"
$AF1BG1,"11",,"1000","06.12.2026",,"12345678","62,60",,,,,,"Beitragsrechnung 2026","Mueller Anna",,,,,,,,,,,"M",,"EUR"
$AF1BG1,"11",,"1002","06.12.2026","1200",,"15,00",,,,,,"Beitragsrechnung 2026","Schmidt; Söhne   GbR  Bernd  X",A,,,,,,,,,,"M",,"EUR"
$AF1BG1,"11",,"1002","06.12.2026",,"4711","15,00",,,,,,"Beitragsrechnung 2026","Schmidt; Söhne   GbR  Bernd  X",,,,,,,,,,,"M",,"EUR"
)"_qs));
}

// A debit left out of the bank file (no usable IBAN) was never collected: the fee is booked,
// the payment is not.
TEST_F(IbmExport, AnOwnerWhoseDebitIsNotInTheBankFileGetsNoBankBooking)
{
    form.strFibu = u"IBM-FIBU"_qs;
    records[0].Id_Personal = 501;
    records[2].Id_Personal = 502;
    QStringList written;
    ExportFibu(fibuSettings(form), withCents(records, form.bBeitraegeNetto), written, {501});
    ASSERT_EQ(written.size(), 2);
    const std::string fees = bytes(u"BEITLA20261206_1.df2"_qs);
    const std::string bank = bytes(u"LA20261206_1.df2"_qs);
    EXPECT_NE(fees.find(R"("12345678",,"62,60")"), std::string::npos);
    EXPECT_EQ(bank.find("Mueller"), std::string::npos) << bank;
    EXPECT_NE(bank.find(R"(,"4711","15,00")"), std::string::npos) << bank;
}

TEST_F(IbmExport, InvoiceRunWritesFeeBookingsOnlyAndASecondExportTheNextNumber)
{
    form.LaoderRe[0].Value = false;
    form.txtMwst[0].Text.clear();
    records.resize(1);
    records[0].SteuerCent[0] = Money(); // no VAT: the total is the fees
    records[0].SummeCent = Money(5500);
    ASSERT_EQ(exportAs(u" ibm-fibu"_qs), QStringList{u"BEITRE20261206_1.df2"_qs});
    const std::string first = bytes(u"BEITRE20261206_1.df2"_qs);
    EXPECT_EQ(first, ansi(uR"($AF1BA1,"11",,"RE 06.12.2026","06.12.2026","Beitragsrechnung","06.12.2026",,"
$AF1BG1,"11",,"1000","06.12.2026","12345678",,"55,00",,,,,,"Beitragsrechnung 2026","Mueller Anna",N90,,,,,,,,,,"M",,"EUR"
$AF1BG1,"11",,"1000","06.12.2026",,"801000","40,00",,,,,,"Mitgliedsbeitrag","Mueller Anna",,,,,,,"234","4711",,,"M",,"EUR"
$AF1BG1,"11",,"1000","06.12.2026",,"805000","10,00",,,,,,"Waldbrand   Versicherung ","Mueller Anna",,,,,,,"234","4711",,,"M",,"EUR"
$AF1BG1,"11",,"1000","06.12.2026",,"805030","5,00",,,,,,"Sonder","Mueller Anna",,,,,,,"234","4711",,,"M",,"EUR"
)"_qs));
    EXPECT_EQ(exportAs(u"IBM-FIBU"_qs), QStringList{u"BEITRE20261206_2.df2"_qs});
    EXPECT_EQ(bytes(u"BEITRE20261206_1.df2"_qs), first);
    EXPECT_EQ(bytes(u"BEITRE20261206_2.df2"_qs), first);
}

TEST_F(IbmExport, WithoutACostCentreMapTheUserIsToldAndTheCostValuesStayEmpty)
{
    QFile::remove(tmp.filePath(u"kstktr.ini"_qs));
    records.resize(1);
    exportAs(u"IBM-FIBU"_qs);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(u"kstktr.ini"_qs)) << notices[0].toStdString();
    EXPECT_NE(bytes(u"BEITLA20261206_1.df2"_qs).find(R"("Mueller Anna",,,,,,,"234",,,,"M",,"EUR")"), std::string::npos);
}

// ---- DATEV ----

TEST_F(DatevExport, DebtorsAndBookingsOneLinePerFee)
{
    ASSERT_EQ(exportAs(u"DATEV-FIBU"_qs),
              (QStringList{u"DATEV_BEITLA_DEBKRED_20261206_1.csv"_qs, u"DATEV_BEITLA20261206_1.csv"_qs}));
    EXPECT_EQ(bytes(u"DATEV_BEITLA_DEBKRED_20261206_1.csv"_qs), ansi(fibuSampleDatevDebtors()));
    EXPECT_EQ(bytes(u"DATEV_BEITLA20261206_1.csv"_qs), ansi(fibuSampleDatevBookings()));
}

TEST_F(DatevExport, GrossAmountsDatesNumbersAndTheNextFileNumber)
{
    form.bBeitraegeNetto = true; // VAT on top: booked with it
    form.txtRechDat.Text = u"24.11.2026"_qs;
    form.txtRechNr.Text.clear(); // numbers from 0
    form.LaoderRe[0].Value = false;
    records.resize(1);
    exportAs(u"DATEV-FIBU"_qs);
    EXPECT_EQ(exportAs(u"datev-fibu "_qs),
              (QStringList{u"DATEV_BEITRE_DEBKRED_20261206_2.csv"_qs, u"DATEV_BEITRE20261206_2.csv"_qs}));
    const std::string bookings = bytes(u"DATEV_BEITRE20261206_2.csv"_qs);
    EXPECT_EQ(bookings, bytes(u"DATEV_BEITRE20261206_1.csv"_qs));
    EXPECT_TRUE(QByteArray::fromStdString(bookings)
                    .endsWith(";H;47,60;;8401;Beitrag  2026;L;2411;10001;;;;;0;;;;;;;\r\n"
                              ";H;10,00;;8400;Beitrag  2026;L;2411;10001;;;;;0;;;;;;;\r\n"
                              ";H;5,00;;8404;Beitrag  2026;L;2411;10001;;;;;0;;;;;;;\r\n"))
        << bookings;

    // A debtor file of the next number left over from elsewhere is not overwritten.
    QFile stray(QDir(folder()).filePath(u"DATEV_BEITRE_DEBKRED_20261206_3.csv"_qs));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.write("fremd");
    stray.close();
    EXPECT_EQ(exportAs(u"DATEV-FIBU"_qs).last(), u"DATEV_BEITRE20261206_4.csv"_qs);
    EXPECT_EQ(bytes(u"DATEV_BEITRE_DEBKRED_20261206_3.csv"_qs), std::string("fremd"));

    // The invoice date is no date: nothing more is written.
    form.txtRechDat.Text = u"31.02.2026"_qs;
    const QStringList before = filesInFolder();
    EXPECT_THROW(exportAs(u"DATEV-FIBU"_qs), RunError);
    EXPECT_EQ(filesInFolder(), before);
}

// ---- SYSKA ----

TEST_F(SyskaExport, FeesOneAndTwoNumberedByTheRecordsPlace)
{
    ASSERT_EQ(exportAs(u"SYSKA-FIBU"_qs), QStringList{u"BEITLA20261206_1.txt"_qs});
    EXPECT_EQ(bytes(u"BEITLA20261206_1.txt"_qs), ansi(uR"(L;06.12.2026;1000;10001;8401;Beitrag  2026;40,00
L;06.12.2026;1000;10001;8400;Beitrag  2026;10,00
L;06.12.2026;1002;10002;8400;Beitrag  2026;2,50
)"_qs));

    form.txtRechDat.Text = u" 1.12.26"_qs; // as typed
    form.LaoderRe[0].Value = false;
    records.resize(1);
    EXPECT_EQ(exportAs(u"SYSKA-FIBU"_qs), QStringList{u"BEITRE20261206_1.txt"_qs});
    EXPECT_EQ(exportAs(u"SYSKA-FIBU"_qs), QStringList{u"BEITRE20261206_2.txt"_qs});
    EXPECT_EQ(bytes(u"BEITRE20261206_2.txt"_qs), ansi(uR"(L; 1.12.26;1000;10001;8401;Beitrag  2026;40,00
L; 1.12.26;1000;10001;8400;Beitrag  2026;10,00
)"_qs));
}

// ---- What every format does on failure ----

TEST_F(FibuFailures, EachStopsNamingTheCauseAndLeavesTheFolderAsItWas)
{
    struct Format { const char16_t *system, *firstFile; };
    const Format formats[] = {{u"IBM-FIBU", u"BEITLA20261206_%1.df2"},
                              {u"DATEV-FIBU", u"DATEV_BEITLA20261206_%1.csv"},
                              {u"SYSKA-FIBU", u"BEITLA20261206_%1.txt"}};
    for (const Format &format : formats) {
        const QString system = QString::fromUtf16(format.system);
        SCOPED_TRACE(system.toStdString());
        QDir(folder()).removeRecursively();
        QDir(tmp.path()).mkpath(u"fibu"_qs);
        for (int n = 1; n <= 50; ++n) {
            QFile taken(QDir(folder()).filePath(QString::fromUtf16(format.firstFile).arg(n)));
            ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
            taken.write("alt");
        }

        // All 50 numbers of the day taken: the name without a number is used.
        const QString unnumbered = QString::fromUtf16(format.firstFile).remove(u"_%1"_qs);
        form.strFibu = system;
        {
            QStringList written;
            ExportFibu(fibuSettings(form), withCents(records, form.bBeitraegeNetto), written);
            EXPECT_TRUE(written.contains(QDir::toNativeSeparators(QDir(folder()).filePath(unnumbered))))
                << written.join(u' ').toStdString();
        }
        const std::function<void()> failures[] = {
            [] {}, // every name of the day taken
            [&] {
                QFile::remove(QDir(folder()).filePath(QString::fromUtf16(format.firstFile).arg(50)));
                form.txtRechNr.Text = u"R-1000"_qs;
            },
            [&] {
                form.txtRechNr.Text = u"1000"_qs;
                form.Dir1.Path = tmp.filePath(u"fehlt"_qs);
            },
        };
        const char16_t *expected[] = {u"Alle 50 Dateinummern", u"„R-1000“ ist keine ganze Zahl", u"fehlt"};
        for (int i = 0; i < 3; ++i) {
            failures[i]();
            const QStringList unchanged = filesInFolder();
            form.strFibu = system;
            QStringList written;
            try {
                ExportFibu(fibuSettings(form), withCents(records, form.bBeitraegeNetto), written);
                ADD_FAILURE() << "no failure " << i;
            } catch (const RunError &e) {
                EXPECT_TRUE(e.message().contains(QString::fromUtf16(expected[i]))) << e.message().toStdString();
            }
            // The bank bookings of IBM-FIBU do not depend on the fee file's number (the
            // export above took "_1").
            if (system == u"IBM-FIBU"_qs && i == 0) {
                ASSERT_EQ(written.size(), 1);
                EXPECT_EQ(QFileInfo(written[0]).fileName(), u"LA20261206_2.df2"_qs);
                QFile::remove(written[0]);
            } else {
                EXPECT_TRUE(written.isEmpty());
            }
            EXPECT_EQ(filesInFolder(), unchanged);
        }
        form.Dir1.Path = folder();
        EXPECT_EQ(bytes(QString::fromUtf16(format.firstFile).arg(1)), std::string("alt"));
    }
}

#ifdef Q_OS_UNIX
TEST_F(FibuFailures, AFileThatCannotBeWrittenIsReportedAndNotLeftHalfWritten)
{
    for (const QString &system : {u"IBM-FIBU"_qs, u"DATEV-FIBU"_qs, u"SYSKA-FIBU"_qs}) {
        SCOPED_TRACE(system.toStdString());
        form.strFibu = system;
        QStringList written;
        {
            FileSizeLimit full(64);
            ASSERT_TRUE(full.active());
            EXPECT_THROW(ExportFibu(fibuSettings(form), withCents(records, form.bBeitraegeNetto), written), WriteError);
        }
        EXPECT_TRUE(written.isEmpty());
        EXPECT_TRUE(filesInFolder().isEmpty()) << filesInFolder().join(u' ').toStdString();
    }
}
#endif

TEST_F(FibuFailures, OtherSettingsWriteNothing)
{
    for (const QString &system : {QString(), u"FIBU"_qs, u"IBM"_qs}) {
        EXPECT_TRUE(exportAs(system).isEmpty());
        EXPECT_TRUE(filesInFolder().isEmpty());
    }
}

// ---- Data that accounting would refuse or that the code page cannot show ----

namespace {

// The fields of one line as a standard reader of the format splits it: a field that starts
// with a quote runs to the next quote followed by the separator or the line's end.
QStringList readerFields(const QString &line, QChar separator)
{
    QStringList fields;
    QString current;
    bool quoted = false;
    bool atStart = true;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (atStart && c == u'"') {
            quoted = true;
            atStart = false;
        } else if (quoted && c == u'"') {
            if (i + 1 < line.size() && line.at(i + 1) == u'"') {
                current += c;
                ++i;
            } else {
                quoted = false;
            }
        } else if (!quoted && c == separator) {
            fields.append(current);
            current.clear();
            atStart = true;
        } else {
            current += c;
            atStart = false;
        }
    }
    fields.append(current);
    return fields;
}

} // namespace

// The cases below change and look at the fixture from lambdas.
class FibuData : public FibuTest {
public:
    using FibuTest::folder;
    using FibuTest::form;
    using FibuTest::notices;
    using FibuTest::records;

    // The file's lines, decoded.
    QStringList lines(const QString &name) const
    {
        QString text = decodeCp1252(QByteArray::fromStdString(bytes(name)));
        QStringList result = text.split(u"\r\n"_qs);
        if (!result.isEmpty() && result.last().isEmpty())
            result.removeLast();
        return result;
    }
    QString log() const
    {
        QFile file(tmp.filePath(u"program/LogDatei.txt"_qs));
        return file.open(QIODevice::ReadOnly) ? decodeCp1252(file.readAll()) : QString();
    }
    void reset()
    {
        QDir(folder()).removeRecursively();
        QDir(tmp.path()).mkpath(u"fibu"_qs);
        QFile::remove(tmp.filePath(u"program/LogDatei.txt"_qs));
    }
};

TEST_F(FibuData, EveryFormatImportsWithoutShiftedFieldsZeroLinesOrSilentGaps)
{
    const QString ibm = u"IBM-FIBU"_qs, datev = u"DATEV-FIBU"_qs, syska = u"SYSKA-FIBU"_qs;
    const QString ibmFees = u"BEITLA20261206_1.df2"_qs, ibmBank = u"LA20261206_1.df2"_qs;
    const QString debtors = u"DATEV_BEITLA_DEBKRED_20261206_1.csv"_qs, bookings = u"DATEV_BEITLA20261206_1.csv"_qs;
    const QString syskaFile = u"BEITLA20261206_1.txt"_qs;
    const auto everyLineHas = [this](const QString &file, QChar separator, std::initializer_list<int> counts) {
        for (const QString &line : lines(file))
            EXPECT_TRUE(std::find(counts.begin(), counts.end(), readerFields(line, separator).size()) != counts.end())
                << readerFields(line, separator).size() << " fields: " << line.toStdString();
    };
    const auto noZeroAmount = [this](const QString &file, const QString &zero) {
        for (const QString &line : lines(file))
            EXPECT_FALSE(line.contains(zero)) << line.toStdString();
    };

    struct Case {
        const char *what;
        QString system;
        std::function<void(FibuData &)> change;
        std::function<void(FibuData &)> check;
    };
    const Case cases[] = {
        {"quote-led name", datev, [](FibuData &t) { t.records[2].Name = u"\"Wald\" Erben"_qs; },
         [&](FibuData &) {
             everyLineHas(debtors, u';', {34});
             everyLineHas(bookings, u';', {21});
         }},
        {"quote-led name", ibm, [](FibuData &t) { t.records[2].Name = u"\"Wald\" Erben"_qs; },
         [&](FibuData &) {
             everyLineHas(ibmFees, u',', {9, 28});
             everyLineHas(ibmBank, u',', {9, 28});
         }},
        {"Ł and Ω", datev, [](FibuData &t) { t.records[2].Name = u"Łódź Ωmega"_qs; },
         [&](FibuData &t) {
             EXPECT_TRUE(t.lines(debtors).last().startsWith(u"10002;Lódz ?mega;"_qs)) << t.lines(debtors).last().toStdString();
             EXPECT_EQ(t.log().count(u"Waldbesitzer 4711 "_qs), 1) << t.log().toStdString();
             EXPECT_TRUE(t.log().contains(u"enthält Zeichen, die in den Dateien „"_qs + QDir::toNativeSeparators(t.folder())))
                 << t.log().toStdString();
             EXPECT_TRUE(t.notices.isEmpty());
         }},
        {"Ł and Ω", ibm, [](FibuData &t) { t.records[2].Name = u"Łódź Ωmega"_qs; },
         [&](FibuData &t) {
             EXPECT_TRUE(t.lines(ibmFees).last().contains(u"\"Lódz ?mega Bernd  X\""_qs)) << t.lines(ibmFees).last().toStdString();
             // Once per file that shows the "?".
             EXPECT_EQ(t.log().count(u"Waldbesitzer 4711 "_qs), 2) << t.log().toStdString();
         }},
        {"Ł only", ibm, [](FibuData &t) { t.records[2].Name = u"Łukasz"_qs; },
         [&](FibuData &t) {
             EXPECT_TRUE(t.lines(ibmFees).last().contains(u"\"Lukasz Bernd  X\""_qs));
             EXPECT_TRUE(t.log().isEmpty()) << t.log().toStdString(); // transliterated: nothing to tell
         }},
        {"fee of 0,004", datev, [](FibuData &t) { t.records[0].Betrag[1] = 0.004; },
         [&](FibuData &t) {
             noZeroAmount(bookings, u";0,00;"_qs);
             EXPECT_EQ(t.lines(bookings).size(), 1 + 4);
             EXPECT_EQ(t.lines(debtors).size(), 1 + 4); // one debtor line per booked fee
         }},
        {"fee of 0,004", ibm, [](FibuData &t) { t.records[0].Betrag[1] = 0.004; },
         [&](FibuData &t) {
             noZeroAmount(ibmFees, u"\"0,00\""_qs);
             EXPECT_EQ(t.lines(ibmFees).size(), 1 + 6); // the owner's line and four fees, fee 5 among them
         }},
        {"fee of 0,004", syska, [](FibuData &t) { t.records[0].Betrag[1] = 0.004; },
         [&](FibuData &t) {
             noZeroAmount(syskaFile, u";0,00"_qs);
             EXPECT_EQ(t.lines(syskaFile).size(), 2);
         }},
        {"no account", datev, [](FibuData &t) { t.records[2].FibuKonto.clear(); },
         [&](FibuData &t) {
             EXPECT_TRUE(t.lines(bookings).last().contains(u";0612;;"_qs)); // still written, as the format has it
             ASSERT_EQ(t.notices.size(), 1);
             EXPECT_TRUE(t.notices[0].startsWith(u"Für folgende Waldbesitzer fehlt das FIBU-Konto: 4711 Schmidt; Söhne, \"GbR\" Bernd\r\nX ("_qs))
                 << t.notices[0].toStdString();
             EXPECT_TRUE(t.notices[0].contains(bookings)) << t.notices[0].toStdString();
             EXPECT_TRUE(t.log().contains(u"Für folgende Waldbesitzer fehlt das FIBU-Konto"_qs));
             EXPECT_TRUE(t.log().contains(u";4711 Schmidt"_qs)) << t.log().toStdString();
         }},
        {"no account", syska, [](FibuData &t) { t.records[0].FibuKonto.clear(); },
         [&](FibuData &t) {
             ASSERT_EQ(t.notices.size(), 1);
             EXPECT_TRUE(t.notices[0].startsWith(u"Für folgende Waldbesitzer fehlt das FIBU-Konto: 12345678 Mueller Anna ("_qs))
                 << t.notices[0].toStdString();
         }},
        {"no revenue account", datev, [](FibuData &t) { t.form.txtHaftpflichtkonto.Text.clear(); },
         [&](FibuData &t) {
             ASSERT_EQ(t.notices.size(), 1);
             EXPECT_TRUE(t.notices[0].contains(u"„Beitragskonto Haftpflicht“"_qs)) << t.notices[0].toStdString();
         }},
        {"no bank account", ibm, [](FibuData &t) { t.form.txtBankKonto.Text.clear(); },
         [&](FibuData &t) {
             ASSERT_EQ(t.notices.size(), 1);
             EXPECT_TRUE(t.notices[0].contains(u"„Bankkonto“"_qs)) << t.notices[0].toStdString();
             EXPECT_TRUE(t.notices[0].contains(ibmBank)) << t.notices[0].toStdString();
         }},
    };
    const Buchungen original = records;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.what) + " / " + c.system.toStdString());
        reset();
        records = original;
        form.txtBankKonto.Text = u"1200"_qs;
        form.txtHaftpflichtkonto.Text = u"8402"_qs;
        c.change(*this);
        exportAs(c.system);
        c.check(*this);
    }
}

TEST_F(FibuFailures, AFeeFileThatFailsStillLeavesTheBankBookingsWrittenAndBothAreTold)
{
#ifndef Q_OS_UNIX
    GTEST_SKIP() << "A full disk is made by a file-size limit (setrlimit), which Windows lacks.";
#else
    form.strFibu = u"IBM-FIBU"_qs;
    QStringList written;
    {
        // Room for the bank bookings, not for the longer fee bookings.
        FileSizeLimit limit(700);
        ASSERT_TRUE(limit.active());
        try {
            ExportFibu(fibuSettings(form), withCents(records, form.bBeitraegeNetto), written);
            ADD_FAILURE() << "no failure";
        } catch (const RunError &e) {
            EXPECT_TRUE(e.message().contains(u"BEITLA20261206_1.df2"_qs)) << e.message().toStdString();
        }
    }
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(QFileInfo(written[0]).fileName(), u"LA20261206_1.df2"_qs);
    EXPECT_EQ(filesInFolder(), QStringList{u"LA20261206_1.df2"_qs});

    // Both fail: both named in one message.
    QDir(folder()).removeRecursively();
    written.clear();
    try {
        ExportFibu(fibuSettings(form), withCents(records, form.bBeitraegeNetto), written);
        ADD_FAILURE() << "no failure";
    } catch (const RunError &e) {
        EXPECT_EQ(e.message().count(u"wurde nicht gefunden"_qs), 2) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(u"LA20261206_1.df2"_qs)) << e.message().toStdString();
    }
    EXPECT_TRUE(written.isEmpty());
#endif
}

// Five fees at three rates, VAT on top and included, through the one settling of the
// amounts: per owner the fee lines add up to the owner's line, each with its own rate's
// tax code, and fee 5 is booked like the others.
TEST_F(IbmExport, EveryOwnersFeeLinesBalanceHisLineWithTheirOwnTaxCodes)
{
    const std::array<const char16_t *, 5> rates{u"19", u"7", u"", u"19", u"7"};
    const char *accounts[] = {"801000", "805000", "805010", "805020", "805030"};
    for (const bool onTop : {true, false}) {
        SCOPED_TRACE(onTop ? "VAT on top" : "VAT included");
        QDir(folder()).removeRecursively();
        QDir(tmp.path()).mkpath(u"fibu"_qs);
        form.bBeitraegeNetto = onTop;
        fees::SettleInputs in;
        in.netto = onTop;
        for (std::size_t k = 0; k < 5; ++k) {
            form.txtMwst[k].Text = QString::fromUtf16(rates[k]);
            in.ticked[k] = true;
            if (const auto rate = parseGermanAmount(form.txtMwst[k].Text))
                in.vat[k] = {true, *rate, form.txtMwst[k].Text};
        }
        records.clear();
        for (int i = 0; i < 40; ++i) {
            Buchung b = fibuSampleOwner(1000 + i, u"Eigner"_qs, QString::number(i), QString::number(20000 + i),
                                        {0, 0, 0, 0, 0}, 0);
            for (std::size_t k = 0; k < 5; ++k)
                b.Betrag[k] = (i * 7 + int(k) * 13) % 5 == 0 ? 0 : centsToEuros(qint64(i) * 1237 + qint64(k) * 389 + 1);
            fees::settleAmounts(in, b);
            records.push_back(b);
        }
        form.strFibu = u"IBM-FIBU"_qs;
        QStringList written;
        ExportFibu(fibuSettings(form), records, written);
        ASSERT_FALSE(written.isEmpty());
        QFile file(written.front());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        static const QRegularExpression line(
            uR"re(^\$AF1BG1,"11",,"(\d+)","[^"]*",(?:"([^"]*)")?,(?:"([^"]*)")?,"(-?[0-9]+,[0-9]{2})",("M[^"]*")?,)re"_qs);
        std::map<qint64, qint64> debit, credit;
        std::map<qint64, int> feeLines;
        for (const QString &text : QString::fromLatin1(file.readAll()).split(u"\r\n"_qs, Qt::SkipEmptyParts).mid(1)) {
            const QRegularExpressionMatch m = line.match(text);
            ASSERT_TRUE(m.hasMatch()) << text.toStdString();
            const qint64 invoice = m.captured(1).toLongLong();
            const qint64 cents = Money::parseGerman(m.captured(4))->cents();
            if (!m.captured(2).isEmpty()) {
                debit[invoice] += cents;
                continue;
            }
            credit[invoice] += cents;
            ++feeLines[invoice];
            const auto slot = std::size_t(std::find(std::begin(accounts), std::end(accounts), m.captured(3).toStdString())
                                          - std::begin(accounts));
            ASSERT_LT(slot, 5u) << text.toStdString();
            const QString rate = QString::fromUtf16(rates[slot]);
            EXPECT_EQ(m.captured(5), rate.isEmpty() ? QString() : u"\"M"_qs + rate + u'"') << text.toStdString();
            const Buchung &b = records[std::size_t(invoice - 1000)];
            EXPECT_EQ(cents, b.BruttoCent[slot].cents()) << text.toStdString();
        }
        ASSERT_EQ(debit.size(), records.size());
        int fives = 0;
        for (const Buchung &b : records) {
            const qint64 invoice = 1000 + (&b - records.data());
            EXPECT_EQ(debit[invoice], b.SummeCent.cents()) << invoice;
            EXPECT_EQ(credit[invoice], b.SummeCent.cents()) << invoice;
            int booked = 0;
            for (std::size_t k = 0; k < 5; ++k)
                booked += b.BruttoCent[k].cents() != 0 ? 1 : 0;
            EXPECT_EQ(feeLines[invoice], booked) << invoice;
            fives += b.BruttoCent[4].cents() != 0 ? 1 : 0;
        }
        EXPECT_GT(fives, 10);
    }
}
