#include "support/FileBytes.h"
#include "support/BookedAmounts.h"
#include "app/FrmDTA.h"
#include "core/RunError.h"
#include "print/ReportDesigns.h"
#include "params/ListReports.h"
#include "sepa/BookingSelection.h"
#include "support/PdfText.h"
#include "support/Workspace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

Buchung booking(long nummer, const QString &name, const QString &vorname, qint64 cents)
{
    Buchung b;
    b.Nummer = nummer;
    b.NameOrig = name;
    b.VornameOrig = vorname;
    b.BIC = u"GENODEF1XYZ"_qs;
    b.IBAN = u"DE02120300000000202051"_qs;
    b.Verwendungszweck = u"Beitrag 2026"_qs.leftJustified(27);
    b.SummeCent = Money(cents);
    return b;
}

} // namespace

TEST(CsvList, FileAndBookingListOfASmallRun)
{
    Workspace ws(1);
    auto form = ws.form();
    form->strExportPfad = ws.root() + u'/';
    form->txtRechNr.Text = u"1001"_qs;
    Buchungen run{booking(7, u" Müller"_qs, u"Anna"_qs, 12345), booking(8, u"Berg; Tal"_qs, u"Jörg\r\nX"_qs, 12340),
                  booking(9, u"Zahn"_qs, u"Udo "_qs, 10000)};
    run[2].FibuKonto = u"212"_qs;

    const CsvList list = WriteCSVList(*form, withCents(run));
    EXPECT_EQ(list.file, QDir::toNativeSeparators(ws.root() + u"/Dtaus0.csv"_qs));
    const QByteArray expected = "RechnungsNr;FibNr;Nummer;Name;Vorname;BLZ;Konto;Text;Betrag\r\n"
                                "1001;;7;M\xfcller;Anna;GENODEF1XYZ;DE02120300000000202051;Beitrag 2026               ;123,45\r\n"
                                "1002;;8;Berg  Tal;J\xf6rg  X;GENODEF1XYZ;DE02120300000000202051;Beitrag 2026               ;123,4\r\n"
                                "1003;212;9;Zahn;Udo;GENODEF1XYZ;DE02120300000000202051;Beitrag 2026               ;100\r\n";
    EXPECT_EQ(fileBytes(list.file), expected);

    const QString pdf = ws.root() + u"/Beitrag.pdf"_qs;
    ASSERT_NO_THROW(list.report.writePdf(pdf, nullptr));
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(u"Einzelbuchungen SEPA"_qs));
    EXPECT_TRUE(pages[0].contains(QRegularExpression(u"Müller +Anna +7 +DE02120300000000202051 +Beitrag 2026 +123,45 +1001"_qs)))
        << pages[0].toStdString();
    EXPECT_TRUE(pages[0].contains(QRegularExpression(u"Summe: +346,85"_qs)));
    EXPECT_TRUE(pages[0].contains(u"Seite: 1"_qs));
}

TEST(CsvList, AValueLongerThanItsColumnIsCutVisibly)
{
    Workspace ws(1);
    auto form = ws.form();
    form->strExportPfad = ws.root() + u'/';
    Buchungen run{booking(7, u"Müller"_qs, u"Anna"_qs, 100), booking(8, u" Berg "_qs, u"Jörg"_qs, 100)};
    run[1].BIC = u"GENODEF1XYZ12345"_qs; // 16 characters in a column of 15
    const CsvList list = WriteCSVList(*form, withCents(run));
    EXPECT_EQ(list.report.rows().value(1, u"BLZ"_qs).toString(), u"GENODEF1XYZ123…"_qs);
    EXPECT_TRUE(QFile::exists(ws.root() + u"/Dtaus0.csv"_qs));
}

TEST(CsvList, AFileThatCannotBeWrittenIsNamed)
{
    Workspace ws(1);
    auto form = ws.form();
    form->strExportPfad = ws.root() + u"/fehlt/"_qs;
    try {
        WriteCSVList(*form, withCents({booking(7, u"Müller"_qs, u"Anna"_qs, 100)}));
        FAIL() << "written";
    } catch (const WriteError &e) {
        EXPECT_EQ(QFileInfo(e.file()).fileName(), u"Dtaus0.csv"_qs);
        EXPECT_TRUE(e.message().contains(u"Dtaus0.csv“ konnte nicht geschrieben werden"_qs)) << e.message().toStdString();
    }
}

TEST(Begleitzettel, ShowsCountSumAndSenderAndCutsAValueBeyondItsColumn)
{
    Workspace ws(1);
    auto form = ws.form();
    form->txtFirmenName.Text = u"FBG Hochwald"_qs;
    form->txtBankleitzahl.Text = u"GENODEF1XYZ"_qs;
    form->txtKontonummer.Text = u"DE02120300000000202051"_qs;
    form->strVolume = u"10_15_00"_qs;
    const Report slip = PrintBegleitzettel(*form, 3, Money(123450));
    const QString pdf = ws.root() + u"/Begleitzettel.pdf"_qs;
    ASSERT_NO_THROW(slip.writePdf(pdf, nullptr));
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    const QString &p = pages[0];
    EXPECT_TRUE(QString(p).remove(u' ').contains(u"BEGLEITZETTEL"_qs));
    for (const char16_t *line : {u"Volume-Nr.: +10_15_00", u"Erstellungsdatum +06.12.2026", u"Anzahl der Datensätze +3\n",
                                 u"Summe Betrag der Datensätze +1.234,50", u"Name des Absenders +FBG Hochwald",
                                 u", den 06.12.26"})
        EXPECT_TRUE(p.contains(QRegularExpression(QString::fromUtf16(line)))) << QString::fromUtf16(line).toStdString() << "\n"
                                                                               << p.toStdString();

    // A sender's name beyond its column is cut visibly, never refused.
    form->txtFirmenName.Text = QString(201, u'x');
    const Report longName = PrintBegleitzettel(*form, 3, Money(123450));
    bool cut = false;
    for (int c = 0; c < longName.rows().columnCount(); ++c)
        cut = cut || longName.rows().value(0, c).toString().endsWith(u"x…"_qs);
    EXPECT_TRUE(cut);
}

// The list from its parameters alone: which records the bank file leaves out is given, and
// the list marks and sums them only in a direct-debit run.
TEST(CsvList, ItsParametersDecideWhatIsMarkedAsNotDebited)
{
    const struct {
        bool directDebit;
        std::vector<QString> notInBankFile;
        QStringList hints;       // per row: empty, or the start of the hint
        QList<double> debited;   // BetragEingezogen per row
        QList<double> notDebited;
    } cases[] = {
        {true, {{}, u"IBAN „DE00“ ungültig"_qs, {}}, {{}, u"nicht in der SEPA-Datei: IBAN „DE00“ ungültig"_qs, {}},
         {123.45, 0, 100}, {0, 123.4, 0}},
        {false, {{}, u"IBAN „DE00“ ungültig"_qs, {}}, {{}, {}, {}}, {0, 0, 0}, {0, 0, 0}},
        {true, {u"keine IBAN"_qs}, {u"nicht in der SEPA-Datei: keine IBAN"_qs, {}, {}}, {0, 123.4, 100}, {123.45, 0, 0}},
        {true, {}, {{}, {}, {}}, {123.45, 123.4, 100}, {0, 0, 0}},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
        ReportDesign design = BeitragDesign();
        Buchungen run{booking(7, u"Müller"_qs, u"Anna"_qs, 12345), booking(8, u"Berg"_qs, u"Jörg"_qs, 12340),
                      booking(9, u"Zahn"_qs, u"Udo"_qs, 10000)};
        run[0].IBAN = c.notInBankFile.size() == 1 ? QString() : run[0].IBAN;
        run[1].IBAN = u"DE00"_qs;
        CsvListParams p;
        p.firstInvoiceNumber = 1;
        p.directDebit = c.directDebit;
        p.notInBankFile = c.notInBankFile;
        p.design = &design;
        p.exportDir = dir.path() + u'/';
        p.programDir = dir.path();
        p.clock = &clock;
        const CsvList list = WriteCSVList(p, withCents(run));
        EXPECT_EQ(list.file, QDir::toNativeSeparators(dir.path() + u"/Dtaus0.csv"_qs));
        const RecordSet &rows = list.report.rows();
        ASSERT_EQ(rows.rowCount(), 3);
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(rows.value(r, u"Hinweis"_qs).toString(), c.hints[r]) << r;
            EXPECT_DOUBLE_EQ(rows.value(r, u"BetragEingezogen"_qs).toDouble(), c.debited[r]) << r;
            EXPECT_DOUBLE_EQ(rows.value(r, u"BetragNichtEingezogen"_qs).toDouble(), c.notDebited[r]) << r;
        }
        // The design's sums of debited and not debited amounts show in a direct-debit run only.
        EXPECT_EQ(design.find(u"Text21"_qs)->Visible, c.directDebit);
    }
}

// The run marks exactly the records the bank file leaves out, with the reason its log
// gives, and only when it debits: the list's debited sum is the file's control sum.
TEST(CsvList, TheRunMarksTheRecordsTheBankFileLeavesOut)
{
    Workspace ws(1);
    auto form = ws.form();
    Buchungen run{booking(1, u"A"_qs, u"a"_qs, 100), booking(2, u"B"_qs, u"b"_qs, 200),
                  booking(3, u"C"_qs, u"c"_qs, 400), booking(4, u"D"_qs, u"d"_qs, 800),
                  booking(5, u"E"_qs, u"e"_qs, 1600)};
    run[1].IBAN.clear();
    run[2].IBAN = u"keine IBAN"_qs;
    run[3].IBAN = u"DE00370400440532013000"_qs; // wrong check digits: the bank would reject it
    run[4].IBAN = u"DE8937040044053201300"_qs;  // a digit short
    withCents(run);
    form->strExportPfad = ws.root() + u'/';
    form->LaoderRe[0].Value = true;
    const std::vector<QString> reasons = csvListParams(*form, run).notInBankFile;
    ASSERT_EQ(reasons.size(), 5u);
    EXPECT_EQ(reasons[0], QString());
    EXPECT_EQ(reasons[1], u"keine IBAN"_qs);
    EXPECT_FALSE(reasons[2].isEmpty());
    EXPECT_EQ(reasons[3], u"IBAN ist ungültig (Prüfziffer oder Länge). DE00370400440532013000"_qs);
    EXPECT_EQ(reasons[4], u"IBAN hat nicht die erforderliche Länge. DE8937040044053201300"_qs);

    const BookingSelection selection = selectBookings(sepaFormatFromText(form->cmbSEPAFormat.Text()), run);
    const CsvList list = WriteCSVList(*form, run);
    const std::vector<ReportItem> items = list.report.pageItems(list.report.pageCount() - 1);
    QStringList texts;
    for (const ReportItem &item : items)
        if (item.control && item.control->Name == u"Text21"_qs)
            texts << item.text;
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0], selection.controlSumCent.german());
    EXPECT_EQ(selection.controlSumCent.cents(), run[0].SummeCent.cents());
    for (int r = 1; r < 5; ++r)
        EXPECT_TRUE(list.report.rows().text(r, list.report.rows().columnIndex(u"Hinweis"_qs))
                        .startsWith(u"nicht in der SEPA-Datei: "_qs + reasons[std::size_t(r)]))
            << r;

    form->LaoderRe[0].Value = false;
    EXPECT_TRUE(csvListParams(*form, run).notInBankFile.empty());
}
