// The fee notice laid out with real data: every value whole, nothing printed over anything
// else, nothing outside the margins or the envelope window, and an ordinary letter exactly
// where the design puts it.
#include "support/BookedAmounts.h"
#include "app/FrmDTA.h"
#include "cli/DemoLetters.h"
#include "params/InvoiceFromForm.h"
#include "support/PageGeometry.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

// Each control's text as printed over all pages, and as its row holds it, both with every
// run of blanks and line breaks made one blank: what a reader can read, whole or not.
QString printedText(const Report &report, const QString &control)
{
    QStringList lines;
    for (int page = 0; page < report.pageCount(); ++page)
        lines += linesOf(report.pageItems(page), control);
    return lines.join(u' ').simplified();
}

QString rowText(const Report &report, const QString &column)
{
    return report.rows().value(0, column).toString().simplified();
}

struct LetterCase {
    const char *what;
    std::function<Buchungen(FrmDTA &)> make;
    int pages;
};

} // namespace

TEST(LetterLayout, RealDataIsPrintedWholeWithoutOverprintingInsideThePageAndTheWindow)
{
    const LetterCase cases[] = {
        {"ordinary", [](FrmDTA &f) { return demo::ordinaryLetter(f); }, 1},
        {"five fees, VAT on top, long names and free text", [](FrmDTA &f) { return demo::hardestLetter(f, true); }, 2},
        {"five fees, VAT included", [](FrmDTA &f) { return demo::hardestLetter(f, false); }, 2},
        {"without letterhead",
         [](FrmDTA &f) {
             Buchungen r = demo::hardestLetter(f, true);
             f.chkKopf.Value = 0;
             return r;
         },
         2},
        {"other currency: address and VAT block on the right",
         [](FrmDTA &f) {
             Buchungen r = demo::hardestLetter(f, false);
             f.strWaehrung = u"CHF"_qs;
             return r;
         },
         2},
        {"the largest amount, its VAT included",
         [](FrmDTA &f) {
             Buchungen r = demo::ordinaryLetter(f);
             f.chkBeitrag[1].Value = 0;
             f.bBeitraegeNetto = false;
             Buchung &b = r.front();
             b.Mindestbeitrag[0] = 0;
             b.Fixbeitrag[0] = b.Betrag[0] = 999999999.99;
             b.SteuerCent[0] = Money(15966386553);
             b.SteuerText[0] = u"19% MwSt 159.663.865,53€ aus 999.999.999,99€"_qs;
             b.SummeCent = Money(99999999999);
             return r;
         },
         1},
        {"six-line address with a name too long for the window, 17-line free text, an IBAN of 34 characters",
         [](FrmDTA &f) {
             Buchungen r = demo::ordinaryLetter(f);
             f.txtFixtext.Text = demo::longFreeText();
             Buchung &b = r.front();
             b.VornameOrig = u"Maximilian Alexander"_qs;
             b.NameOrig = u"Jagd- und Waldgenossenschaft Hohen-Peißenberg"_qs;
             b.Bezeichnung = u"Forstbetrieb und Jagdgenossenschaft"_qs;
             b.Postfach = u"Postfach 12 34 56"_qs;
             b.IBAN = u"MT84MALT011000012345MTLCAST001S123"_qs;
             return r;
         },
         1},
    };
    for (const LetterCase &c : cases) {
        SCOPED_TRACE(c.what);
        Workspace ws(1);
        auto form = ws.form();
        Buchungen owners = c.make(*form);
        const Report report = PrintRechnungen(*form, withCents(owners, (*form).bBeitraegeNetto));
        ASSERT_EQ(report.pageCount(), c.pages);

        for (int page = 0; page < report.pageCount(); ++page) {
            SCOPED_TRACE(page + 1);
            const std::vector<ReportItem> items = report.pageItems(page);
            EXPECT_EQ(overlappingTexts(items).join(u'\n').toStdString(), "");
            EXPECT_EQ(outsideMargins(report, items).join(u'\n').toStdString(), "");
            // A text is only ever shortened with a sign, and only the sender line is.
            for (const ReportItem &item : items)
                EXPECT_TRUE(item.control->Name == u"Text35"_qs || !item.text.contains(u'…')) << item.text.toStdString();
        }
        const std::vector<ReportItem> first = report.pageItems(0);
        EXPECT_LE(bottomOf(first, u"Text1"_qs), kWindowBottom);
        // The sender line: one line in the window, 6 points at the least.
        ASSERT_EQ(linesOf(first, u"Text35"_qs).size(), 1);
        EXPECT_GE(firstOf(first, u"Text35"_qs)->fontSize, 6);

        // Every value whole: the amounts, the fee lines, the VAT block, the free text.
        const std::pair<const char16_t *, const char16_t *> fields[] = {
            {u"Text1", u"Anrede"},       {u"Text10", u"Summe"},      {u"Text3", u"Steuer"},
            {u"Text2", u"txtSteuer"},    {u"Text14", u"FixText"},    {u"Text15", u"Nummer"},
            {u"Text18", u"Beitrag1"},    {u"Text23", u"Beitrag2"},   {u"Text25", u"Beitrag3"},
            {u"Text27", u"Beitrag4"},    {u"Text29", u"Beitrag5"},   {u"Text9", u"BeitragKopf1"},
            {u"Text28", u"BeitragKopf5"}, {u"Text30", u"Kopf1"},     {u"Text17", u"Header"},
            {u"Text7", u"Header1"},
        };
        for (const auto &[control, column] : fields)
            if (report.design().find(QString::fromUtf16(control))->Visible)
                EXPECT_EQ(printedText(report, QString::fromUtf16(control)).toStdString(),
                      rowText(report, QString::fromUtf16(column)).toStdString())
                << QString::fromUtf16(control).toStdString();
        EXPECT_EQ(linesOf(first, u"Text37"_qs).join(u' ').toStdString(),
                  rowText(report, u"Bankverbindung"_qs).toStdString());
    }
}

// What the Parts place is where the design puts it as long as the content fits: the
// ordinary letter has no control moved.
TEST(LetterLayout, AnOrdinaryLetterKeepsEveryControlWhereTheDesignPutsIt)
{
    Workspace ws(1);
    auto form = ws.form();
    const Report report = PrintRechnungen(*form, demo::ordinaryLetter(*form));
    ASSERT_EQ(report.pageCount(), 1);
    const ReportDesign &d = report.design();
    const ReportSection &detail = d.section(SectionKind::Detail);
    int checked = 0;
    const std::vector<ReportItem> items = report.pageItems(0);
    for (const ReportControl &c : detail.Controls) {
        const ReportItem *item = firstOf(items, c.Name);
        // The VAT amounts begin with blank lines, so that the total stands level with "Gesamt:".
        if (!item || c.Kind == ControlKind::Image || c.Name == u"Text3"_qs)
            continue;
        const double top = c.Kind == ControlKind::Line ? item->line.y1() : item->rect.top();
        EXPECT_DOUBLE_EQ(top, d.TopMargin + c.Top) << c.Name.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 25);
    // The fee table as large as its width allows.
    EXPECT_DOUBLE_EQ(firstOf(items, u"Text18"_qs)->fontSize, 8);
}

// A letter longer than its page goes on on a second page that names the sender, the
// addressee, the invoice and the page; the bank line stands at the foot of both, the
// mailing service's marker only on the first.
TEST(LetterLayout, ASecondPageIsHeadedAndFootedLikeTheFirst)
{
    Workspace ws(1);
    auto form = ws.form();
    Buchungen owners = demo::hardestLetter(*form, true);
    owners.push_back(demo::hardestLetter(*form, true).front());
    owners.back().RechNr = u"2026002"_qs;
    const Report report = PrintRechnungen(*form, withCents(owners, (*form).bBeitraegeNetto));
    ASSERT_EQ(report.pageCount(), 4); // each owner's letter starts on a page of its own
    const QString sender = u"Forstbetriebsgemeinschaft Oberes Ammertal, Peißenberg und Hohenpeißenberg w. V."_qs;
    ASSERT_EQ(sender.size(), 79);
    for (int page = 0; page < 4; ++page) {
        SCOPED_TRACE(page + 1);
        const std::vector<ReportItem> items = report.pageItems(page);
        const bool second = page % 2 == 1;
        EXPECT_EQ(report.pageRow(page), page / 2);
        EXPECT_EQ(linesOf(items, u"Text37"_qs).isEmpty(), false);
        // The letters are told apart by the pages each row begins on, not by a printed mark.
        EXPECT_EQ(report.pagesOfRow(page / 2), (QList<int>{page / 2 * 2, page / 2 * 2 + 1}));
        for (const ReportItem &item : items) {
            EXPECT_FALSE(item.text.contains(u"[["_qs)) << item.text.toStdString();
        }
        EXPECT_EQ(linesOf(items, u"txtFolgeAbsender"_qs), second ? QStringList{sender} : QStringList());
        EXPECT_EQ(linesOf(items, u"txtFolgeEmpfaenger"_qs),
                  second ? QStringList{u"Herrn und Frau Maximilian \"Wald\" Łódź-Čermák Ωmega"_qs} : QStringList());
        EXPECT_EQ(linesOf(items, u"bzFolgeSeite"_qs), second ? QStringList{u"Seite 2"_qs} : QStringList());
        EXPECT_EQ(linesOf(items, u"txtFolgeRechNr"_qs),
                  second ? QStringList{page == 1 ? u"2026001"_qs : u"2026002"_qs} : QStringList());
        // The free text goes on below the head, clear of it.
        if (second)
            EXPECT_GT(firstOf(items, u"Text14"_qs)->rect.top(), bottomOf(items, u"LinieFolge"_qs));
    }
}
