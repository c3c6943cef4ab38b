// The letters made from their values alone: no main form, no database.
#include "support/BookedAmounts.h"
#include "print/InvoicePrinting.h"
#include "print/ReportDesigns.h"
#include "core/RunError.h"
#include "support/PdfText.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

Buchung owner(long nummer, long idPersonal, const QString &lastschrift)
{
    Buchung b = sampleBooking(nummer);
    withSampleFees(b);
    b.Id_Personal = idPersonal;
    b.Lastschrift = lastschrift;
    b.VornameOrig = u"Anna"_qs;
    b.NameOrig = u"Tanner"_qs;
    return b;
}

InvoiceParams params(ReportDesign &design)
{
    InvoiceParams p;
    p.design = &design;
    p.fees.labels = {u"Mitgliedsbeitrag"_qs, u"Haftpflicht"_qs, {}, {}, {}};
    p.fees.waehrung = u"EUR"_qs;
    p.feePrinted = {true, false, false, false, false};
    p.senderName = p.creditor.name = u"FBG Hochwald"_qs;
    p.creditor.street = u"Am Forst 2"_qs;
    p.creditor.postcode = u"54321"_qs;
    p.creditor.town = u"Tannenau"_qs;
    p.creditor.creditorId = u"DE98ZZZ09999999999"_qs;
    p.date = u"06.12.2026"_qs;
    p.dueDate = u"05.01.2027"_qs;
    p.creditor.bank = u"Münchner Bank"_qs;
    p.creditor.iban = u"DE81701900000007654321"_qs;
    p.creditor.bic = u"GENODEF1M01"_qs;
    p.fixText = u"Vielen Dank."_qs;
    p.senderTop = u"2085"_qs;
    p.senderLeft = p.addressLeft = u"945"_qs;
    p.addressTop = u"3380"_qs;
    return p;
}

} // namespace

// What precedes the free text: a fee notice of a direct-debit run names the debit or, for an
// owner left out of the bank file, asks for a transfer to the association's account; an
// invoice carries the free text alone.
TEST(InvoiceParams, PaymentTextAndNumberFollowTheRunAndTheOwner)
{
    const struct {
        const char *what;
        bool directDebitNote;
        const char16_t *lastschrift;
        bool leftOut;
        const char16_t *fixTextStart;
        const char16_t *nummer;
    } cases[] = {
        {"fee notice, debited", true, u"1",  false,
         u"Bitte nicht selbst überweisen! - Betrag wird am 05.01.2027 von folgendem Konto abgebucht:\r\n"
         "Bank:     Waldbank \r\nBIC:      GENODEF1XYZ \r\nIBAN:     DE02120300000000202051\r\n\r\n\r\n",
         u"M-1"},
        {"fee notice, left out of the bank file", true, u"1", true,
         u"Ihre Bankverbindung ist bei uns nicht vollständig hinterlegt. Bitte überweisen Sie den Betrag von "
         "30,00 EUR bis zum 05.01.2027 auf folgendes Konto:\r\nBank:     Münchner Bank\r\n"
         "IBAN:     DE81701900000007654321\r\nBIC:      GENODEF1M01\r\nVerwendungszweck: RF57 501 Rechnung Nr. 501\r\n\r\n\r\n",
         u"M-1"},
        {"invoice", false, u"0", false, u"", u"1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ReportDesign design = RechnungDesign();
        InvoiceParams p = params(design);
        p.directDebitNote = c.directDebitNote;
        p.letterhead = true;
        Buchungen records = withCents({owner(1, 71, QString::fromUtf16(c.lastschrift))});
        const Report report = PrintRechnungen(p, records, c.leftOut ? QSet<long>{71} : QSet<long>{});
        const RecordSet &rows = report.rows();
        ASSERT_EQ(rows.rowCount(), 1);
        EXPECT_EQ(rows.value(0, u"FixText"_qs).toString(), QString::fromUtf16(c.fixTextStart) + u"Vielen Dank."_qs);
        EXPECT_EQ(rows.value(0, u"Nummer"_qs).toString(), QString::fromUtf16(c.nummer));
        // The creditor id heads only a letter whose owner gave a mandate.
        EXPECT_EQ(rows.value(0, u"Header2"_qs).toString().isEmpty(), *c.lastschrift == u'0');
        EXPECT_EQ(rows.value(0, u"Kopf1"_qs).toString(), u"FBG Hochwald"_qs);
    }
}

// The values the run chose reach the letters: only the ticked fee slots fill the fee rows,
// the title only when there is one, the progress once per letter, and the design's window
// positions from their texts.
TEST(InvoiceParams, TickedFeesTitleProgressAndPositions)
{
    ReportDesign design = RechnungDesign();
    InvoiceParams p = params(design);
    p.feePrinted = {false, true, false, false, false};
    p.addressTop = u"4000"_qs;
    QList<std::pair<int, int>> progress;
    p.progress = [&progress](int done, int total) { progress.append({done, total}); };
    Buchungen records = withCents({owner(1, 71, u"0"_qs), owner(2, 72, u"0"_qs)});
    const Report report = PrintRechnungen(p, records);

    EXPECT_EQ(progress, (QList<std::pair<int, int>>{{1, 2}, {2, 2}}));
    const RecordSet &rows = report.rows();
    EXPECT_TRUE(rows.value(0, u"Beitrag1"_qs).toString().startsWith(u"Haftpflicht"_qs));
    EXPECT_TRUE(rows.value(0, u"Beitrag2"_qs).toString().isEmpty());
    EXPECT_EQ(rows.value(1, u"Summe"_qs).toString(), u"10,00 EUR"_qs);
    EXPECT_TRUE(rows.value(0, u"Header"_qs).toString().isEmpty());
    EXPECT_EQ(design.control(u"Text1"_qs).Top, 4000);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"Rechnung.pdf"_qs);
    ASSERT_NO_THROW(report.writePdf(pdf, nullptr));
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[1].contains(u"FBG Hochwald Am Forst 2 54321 Tannenau"_qs)) << pages[1].toStdString();
    EXPECT_FALSE(pages[0].contains(u"Mitgliedsbeitrag"_qs)) << pages[0].toStdString();

    p.title = u"Beitragsabrechnung für das Jahr 2026"_qs;
    const Report titled = PrintRechnungen(p, records);
    EXPECT_EQ(titled.rows().value(1, u"Header"_qs).toString(), *p.title);

    // A position that is no number is refused and moves nothing.
    p.addressTop = u"oben"_qs;
    EXPECT_THROW(PrintRechnungen(p, records), RunError);
    EXPECT_EQ(design.control(u"Text1"_qs).Top, 4000);
}
