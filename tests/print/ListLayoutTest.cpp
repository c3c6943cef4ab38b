// The booking list and the slip laid out with real data: every value whole in its column,
// nothing printed over anything else or into the margins.
#include "support/BookedAmounts.h"
#include "app/FrmDTA.h"
#include "cli/DemoLetters.h"
#include "params/ListReports.h"
#include "support/PageGeometry.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

Buchung booking(long nummer)
{
    Buchung b;
    b.Nummer = nummer;
    b.NameOrig = u"Huber"_qs;
    b.VornameOrig = u"Anna"_qs;
    b.BIC = u"GENODEF1XYZ"_qs;
    b.IBAN = u"DE02120300000000202051"_qs;
    b.Verwendungszweck = u"Jahresbeitrag 2026"_qs.leftJustified(27);
    b.SummeCent = Money(12345);
    return b;
}

void expectCleanPages(const Report &report)
{
    for (int page = 0; page < report.pageCount(); ++page) {
        SCOPED_TRACE(page + 1);
        const std::vector<ReportItem> items = report.pageItems(page);
        EXPECT_EQ(overlappingTexts(items).join(u'\n').toStdString(), "");
        EXPECT_EQ(outsideMargins(report, items).join(u'\n').toStdString(), "");
        for (const ReportItem &item : items)
            EXPECT_FALSE(item.text.contains(u'…')) << item.text.toStdString();
    }
}

} // namespace

TEST(ListLayout, EveryBookingListValueIsPrintedWholeInItsColumn)
{
    struct Case {
        const char *what;
        std::function<void(Buchung &)> change;
        const char16_t *control;
        const char16_t *printed;
    };
    const Case cases[] = {
        {"name of 50 characters", [](Buchung &b) { b.NameOrig = u"Jagd- und Waldgenossenschaft Hohen-Peißenberg-Nord"_qs; },
         u"Text1", u"Jagd- und Waldgenossenschaft Hohen-Peißenberg-Nord"},
        {"line breaks in a value",
         [](Buchung &b) {
             b.NameOrig = u"Erbengemeinschaft\r\nHuber"_qs;
             b.VornameOrig = u"Anna\nMaria\rLuise"_qs;
         },
         u"Text2", u"Anna Maria Luise"},
        {"IBAN of 34 characters", [](Buchung &b) { b.IBAN = u"MT84MALT011000012345MTLCAST001S123"_qs; }, u"Text4",
         u"MT84MALT011000012345MTLCAST001S123"},
        {"the largest amount", [](Buchung &b) { b.SummeCent = Money(99999999999); }, u"Text6", u"999.999.999,99"},
        {"purpose with VAT texts", [](Buchung &b) { b.Verwendungszweck = u"19% MwSt 159663840€ auf 840"_qs; },
         u"Text5", u"19% MwSt 159663840€ auf 840"},
        {"accounting number of 50 characters", [](Buchung &b) { b.FibuKonto = QString(50, u'7'); }, u"Text8",
         u"77777777777777777777777777777777777777777777777777"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Workspace ws(1);
        auto form = ws.form();
        form->strExportPfad = ws.root() + u'/';
        Buchung b = booking(4711);
        c.change(b);
        const CsvList list = WriteCSVList(*form, withCents({b, booking(4712)}));
        ASSERT_EQ(list.report.pageCount(), 1);
        expectCleanPages(list.report);
        const std::vector<ReportItem> items = list.report.pageItems(0);
        const QString control = QString::fromUtf16(c.control);
        // The first booking's lines of the column, above the second booking's.
        QStringList lines;
        const double second = [&] {
            for (const ReportItem &item : items)
                if (item.control->Name == u"Text3"_qs && item.text == u"4712"_qs)
                    return item.rect.top();
            return 1e9;
        }();
        for (const ReportItem &item : items)
            if (item.control->Name == control && item.rect.top() < second)
                lines.append(item.text);
        // Whole, however it wrapped (a number without blanks breaks anywhere).
        EXPECT_EQ(lines.join(QString()).remove(u' ').toStdString(),
                  QString::fromUtf16(c.printed).remove(u' ').toStdString());
        EXPECT_EQ(firstOf(items, control)->control->FontName, u"Arial"_qs);
    }
}

// Many hard rows: each starts on the page that holds it whole, the sum of all has room.
TEST(ListLayout, LongRunsBreakBetweenRowsAndTheSumHasRoom)
{
    Workspace ws(1);
    auto form = ws.form();
    form->strExportPfad = ws.root() + u'/';
    Buchungen run;
    for (int i = 0; i < 120; ++i) {
        Buchung b = booking(1000 + i);
        b.NameOrig = i % 3 == 0 ? u"Jagd- und Waldgenossenschaft Hohen-Peißenberg-Nord"_qs : u"Huber"_qs;
        b.SummeCent = Money(99999999999);
        run.push_back(b);
    }
    const CsvList list = WriteCSVList(*form, withCents(run));
    ASSERT_GE(list.report.pageCount(), 3);
    expectCleanPages(list.report);
    int rows = 0;
    for (int page = 0; page < list.report.pageCount(); ++page) {
        const std::vector<ReportItem> items = list.report.pageItems(page);
        rows += int(linesOf(items, u"Text3"_qs).size());
        // A wrapped name stays with its row: no page begins with the rest of a name.
        const ReportItem *firstName = firstOf(items, u"Text1"_qs);
        const ReportItem *firstNumber = firstOf(items, u"Text3"_qs);
        if (firstName && firstNumber)
            EXPECT_DOUBLE_EQ(firstName->rect.top(), firstNumber->rect.top()) << page;
    }
    EXPECT_EQ(rows, 120);
    const std::vector<ReportItem> last = list.report.pageItems(list.report.pageCount() - 1);
    EXPECT_EQ(linesOf(last, u"Text20"_qs), QStringList{u"119.999.999.998,80"_qs});
}

TEST(ListLayout, TheSlipShowsALongCreditorNameAndAHugeSumWhole)
{
    Workspace ws(1);
    auto form = ws.form();
    demo::hardestLetter(*form, true);
    ASSERT_EQ(form->txtFirmenName.Text.size(), 79);
    const Report slip = PrintBegleitzettel(*form, 120, Money(11999999999880));
    ASSERT_EQ(slip.pageCount(), 1);
    expectCleanPages(slip);
    const std::vector<ReportItem> items = slip.pageItems(0);
    EXPECT_EQ(linesOf(items, u"Text7"_qs).join(u' '), form->txtFirmenName.Text); // Name des Absenders
    EXPECT_EQ(linesOf(items, u"Text8"_qs).join(u' '), form->txtBank.Text);       // Datenträgerempfänger
    EXPECT_EQ(linesOf(items, u"Text4"_qs), QStringList{u"119.999.999.998,80"_qs});
    // Each caption stays level with its value, also below a value of two lines.
    EXPECT_DOUBLE_EQ(firstOf(items, u"Bezeichnung11"_qs)->rect.top(), firstOf(items, u"Text8"_qs)->rect.top());
    EXPECT_GT(firstOf(items, u"Text8"_qs)->rect.top(), bottomOf(items, u"Text7"_qs));
}
