#include "db/RecordSet.h"
#include "core/RunError.h"
#include "print/Report.h"
#include "print/ReportText.h"
#include "support/PageGeometry.h"
#include "support/PdfText.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

RecordSet sampleRows(int count)
{
    RecordSet rs;
    rs.append(u"Name"_qs, FieldType::Text, 20);
    rs.append(u"Betrag"_qs, FieldType::Double);
    rs.append(u"Datum"_qs, FieldType::Date);
    for (int i = 0; i < count; ++i) {
        rs.addNew();
        rs.set(u"Name"_qs, u"Zeile "_qs + QString::number(i + 1));
        rs.set(u"Betrag"_qs, 1000.5 * (i + 1));
        rs.set(u"Datum"_qs, u"06.12.2026"_qs);
    }
    return rs;
}

ReportDesign sampleDesign()
{
    ReportDesign d(u"Probe"_qs, u"Probebericht"_qs);
    d.section(SectionKind::ReportHeader).Height = 600;
    d.label(SectionKind::ReportHeader, u"Titel"_qs, u"Probebericht"_qs, 0, 0, 5000, 400).FontSize = 14;
    d.section(SectionKind::Detail).Height = 300;
    d.textBox(SectionKind::Detail, u"TName"_qs, u"Name"_qs, 0, 0, 3000, 300);
    auto &amount = d.textBox(SectionKind::Detail, u"TBetrag"_qs, u"Betrag"_qs, 3000, 0, 2000, 300);
    amount.DataFormat = u"#.##0,00"_qs;
    amount.Alignment = Qt::AlignRight;
    d.textBox(SectionKind::Detail, u"TDatum"_qs, u"Datum"_qs, 6000, 0, 2000, 300).DataFormat = u"dd.mm.yyyy"_qs;
    d.section(SectionKind::PageFooter).Height = 400;
    d.label(SectionKind::PageFooter, u"Seite"_qs, u"Seite: %p"_qs, 0, 0, 2000, 300);
    d.section(SectionKind::ReportFooter).Height = 400;
    auto &sum = d.textBox(SectionKind::ReportFooter, u"Summe"_qs, u"Betrag"_qs, 3000, 0, 2000, 300);
    sum.Function = ControlFunction::Sum;
    sum.DataFormat = u"#.##0,00"_qs;
    sum.Alignment = Qt::AlignRight;
    return d;
}

} // namespace

TEST(RecordSetTest, RefusesValuesThatDoNotFitTheirColumn)
{
    struct Case {
        FieldType type;
        int width;
        QVariant value;
        QString message; // empty: accepted
        QString stored = {}; // a text as kept, when it differs from the value
    };
    const Case cases[] = {
        {FieldType::Text, 5, u"12345"_qs, {}},
        // Too long: shortened visibly, never a refusal.
        {FieldType::Text, 5, u"123456"_qs, {}, u"1234…"_qs},
        {FieldType::Text, 1, u"Waldgenossenschaft"_qs, {}, u"…"_qs},
        {FieldType::Integer, 0, u"1001"_qs, {}},
        {FieldType::Integer, 0, u"abc"_qs, u"Der Wert „abc“ passt nicht in die Spalte „X“ (ganze Zahl)."_qs},
        {FieldType::Integer, 0, 3e9, u"Der Wert „3000000000“ passt nicht in die Spalte „X“ (ganze Zahl)."_qs},
        {FieldType::Double, 0, u"12,5"_qs, {}},
        {FieldType::Double, 0, u"12x"_qs, u"Der Wert „12x“ passt nicht in die Spalte „X“ (Zahl)."_qs},
        {FieldType::Date, 0, u"31.02.2026"_qs, u"Der Wert „31.02.2026“ passt nicht in die Spalte „X“ (Datum)."_qs},
    };
    for (const Case &c : cases) {
        RecordSet rs;
        rs.append(u"X"_qs, c.type, c.width);
        rs.addNew();
        QString message;
        try {
            rs.set(u"x"_qs, c.value);
        } catch (const RecordSetError &e) {
            message = e.message();
        }
        EXPECT_EQ(message, c.message) << c.value.toString().toStdString();
        if (c.message.isEmpty())
            EXPECT_FALSE(rs.value(0, 0).isNull());
        if (!c.stored.isEmpty())
            EXPECT_EQ(rs.value(0, 0).toString(), c.stored);
    }
}

TEST(ReportTest, PdfShowsRowsFormattedSumAndPageNumbers)
{
    QTemporaryDir dir;
    const Report report(sampleDesign(), sampleRows(120));
    ASSERT_GT(report.pageCount(), 2);
    const QString pdf = dir.filePath(u"probe.pdf"_qs);
    report.writePdf(pdf, nullptr);
    const QStringList pages = test::pdfPages(pdf);
    ASSERT_EQ(pages.size(), report.pageCount());
    EXPECT_TRUE(pages.first().contains(u"Probebericht"_qs));
    EXPECT_FALSE(pages.at(1).contains(u"Probebericht"_qs));
    EXPECT_TRUE(pages.first().contains(QRegularExpression(u"Zeile 1 +1.000,50 +06.12.2026"_qs))) << pages.first().toStdString();
    EXPECT_TRUE(pages.at(1).contains(u"Seite: 2"_qs));
    // 1000,5 × (1 + … + 120) = 7.263.630,00
    EXPECT_TRUE(pages.last().contains(u"7.263.630,00"_qs)) << pages.last().toStdString();
    EXPECT_TRUE(pages.last().contains(u"Zeile 120"_qs));
}

TEST(ReportTest, UnwritablePdfIsReported)
{
    const Report report(sampleDesign(), sampleRows(1));
    try {
        report.writePdf(u"/nicht/da/probe.pdf"_qs, nullptr);
        FAIL() << "written";
    } catch (const WriteError &e) {
        EXPECT_EQ(e.file(), u"/nicht/da/probe.pdf"_qs);
        EXPECT_TRUE(e.message().startsWith(u"Die Datei „"_qs + QDir::toNativeSeparators(u"/nicht/da/probe.pdf"_qs)
                                           + u"“ konnte nicht geschrieben werden"_qs))
            << e.message().toStdString();
    }
}

TEST(ReportTest, CsvQuotesSeparatorsAndLineBreaks)
{
    RecordSet rs;
    rs.append(u"Anrede"_qs, FieldType::Text, 100);
    rs.append(u"Nr"_qs, FieldType::Integer);
    rs.addNew();
    rs.set(u"Anrede"_qs, u"Herr\rMax \"Mo\"; Muster"_qs);
    rs.set(u"Nr"_qs, 7);
    const Report report(sampleDesign(), rs);
    EXPECT_EQ(report.csvLines(), QStringList({u"Anrede;Nr"_qs, u"\"Herr\r\nMax \"\"Mo\"\"; Muster\";7"_qs}));
}

// ---- Text in its box ----

TEST(ReportText, ATextIsFittedToItsBoxTheWayTheControlAsks)
{
    struct Case {
        const char *what;
        std::function<void(ReportControl &)> set;
        const char16_t *text;
        QStringList lines; // empty: only the general checks
    };
    const Case cases[] = {
        {"wraps at blanks", [](ReportControl &) {}, u"Forstbetriebsgemeinschaft Oberes Ammertal",
         {u"Forstbetriebsgemeinschaft"_qs, u"Oberes Ammertal"_qs}},
        {"a word wider than the box breaks anywhere", [](ReportControl &) {}, u"DE021203000000002020511234567890", {}},
        {"line breaks of every kind", [](ReportControl &) {}, u"Frau\rAnna\r\nHuber\nWeg 1",
         {u"Frau"_qs, u"Anna"_qs, u"Huber"_qs, u"Weg 1"_qs}},
        {"line breaks as blanks", [](ReportControl &c) { c.JoinLines = true; }, u"Anna\r\nMaria", {u"Anna Maria"_qs}},
        {"only the first lines", [](ReportControl &c) { c.FirstLines = 2; }, u"Frau\rAnna Huber\rWeg 1",
         {u"Frau Anna Huber"_qs}},
        {"blank lines left out", [](ReportControl &c) { c.SkipBlankLines = true; }, u"a\r\r \rb", {u"a"_qs, u"b"_qs}},
        {"smaller font on one line",
         [](ReportControl &c) {
             c.WordWrap = false;
             c.MinFontSize = 6;
         },
         u"Forstbetriebsgemeinschaft Ammertal", {u"Forstbetriebsgemeinschaft Ammertal"_qs}},
        {"shortened at a word below the smallest font",
         [](ReportControl &c) {
             c.WordWrap = false;
             c.MinFontSize = 9;
         },
         u"Forstbetriebsgemeinschaft Oberes Ammertal Peißenberg", {u"Forstbetriebsgemeinschaft …"_qs}},
        {"an amount extends to the left",
         [](ReportControl &c) {
             c.WordWrap = false;
             c.Alignment = Qt::AlignRight;
         },
         u"999.999.999,99", {u"999.999.999,99"_qs}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ReportControl box;
        box.Width = 2600;
        box.FontSize = 10;
        c.set(box);
        if (QStringView(c.text) == u"999.999.999,99")
            box.Width = 800;
        const TextLines fitted = fitText(box, QString::fromUtf16(c.text));
        if (!c.lines.isEmpty())
            EXPECT_EQ(fitted.lines.join(u'|').toStdString(), c.lines.join(u'|').toStdString());
        EXPECT_GE(fitted.fontSize, box.MinFontSize > 0 ? box.MinFontSize : box.FontSize);
        EXPECT_LE(fitted.fontSize, box.FontSize);
        const bool widened = (box.Alignment & Qt::AlignRight) && !box.WordWrap;
        for (const double w : fitted.widths)
            EXPECT_EQ(w > box.Width, widened) << w;
        if (box.WordWrap && !box.JoinLines && box.FirstLines == 0 && !box.SkipBlankLines)
            EXPECT_EQ(fitted.lines.join(QString()).remove(u' '),
                      QString::fromUtf16(c.text).remove(u' ').remove(u'\r').remove(u'\n'));
    }
}

// ---- Flow and pages ----

namespace {

RecordSet textRows(const QStringList &texts)
{
    RecordSet rs;
    rs.append(u"Text"_qs, FieldType::Text, 4000);
    rs.append(u"Nr"_qs, FieldType::Integer);
    for (int i = 0; i < texts.size(); ++i) {
        rs.addNew();
        rs.set(u"Text"_qs, texts[i]);
        rs.set(u"Nr"_qs, i + 1);
    }
    return rs;
}

QString lines(int n)
{
    QStringList l;
    for (int i = 1; i <= n; ++i)
        l.append(u"Zeile "_qs + QString::number(i));
    return l.join(u"\r\n"_qs);
}

} // namespace

// A growing box moves what lies below it in its column, by as much as it grew; what stands
// on the same design line moves along; what lies beside it or is fixed stays.
TEST(ReportFlow, WhatGrowsMovesWhatFollowsInItsColumn)
{
    ReportDesign d(u"Fluss"_qs, u"Fluss"_qs);
    d.section(SectionKind::Detail).Height = 5000;
    d.textBox(SectionKind::Detail, u"Oben"_qs, u"Text"_qs, 0, 0, 3000, 460);
    d.label(SectionKind::Detail, u"Darunter"_qs, u"darunter"_qs, 0, 600, 2000, 260);
    d.label(SectionKind::Detail, u"Daneben"_qs, u"auf derselben Zeile"_qs, 5000, 600, 3000, 260);
    d.label(SectionKind::Detail, u"Abseits"_qs, u"abseits"_qs, 5000, 300, 3000, 260);
    d.label(SectionKind::Detail, u"Fest"_qs, u"fest"_qs, 0, 1200, 2000, 260).Fixed = true;
    for (int n : {2, 6}) {
        SCOPED_TRACE(n);
        const Report report(d, textRows({lines(n)}));
        const std::vector<ReportItem> items = report.pageItems(0);
        const double grown = std::max(0.0, bottomOf(items, u"Oben"_qs) - (d.TopMargin + 460));
        EXPECT_EQ(n > 2, grown > 0);
        EXPECT_DOUBLE_EQ(firstOf(items, u"Darunter"_qs)->rect.top(), d.TopMargin + 600 + grown);
        EXPECT_DOUBLE_EQ(firstOf(items, u"Daneben"_qs)->rect.top(), d.TopMargin + 600 + grown);
        EXPECT_DOUBLE_EQ(firstOf(items, u"Abseits"_qs)->rect.top(), d.TopMargin + 300);
        EXPECT_DOUBLE_EQ(firstOf(items, u"Fest"_qs)->rect.top(), d.TopMargin + 1200);
    }
}

// A row longer than the page goes on on the next, which carries the head meant for a row's
// further pages; a list row kept together starts on the next page instead of being broken.
TEST(ReportFlow, ARowLongerThanThePageGoesOnOnTheNext)
{
    ReportDesign d(u"Brief"_qs, u"Brief"_qs);
    d.NewPagePerRow = true;
    d.section(SectionKind::PageHeader).On = PrintOn::RowContinuation;
    d.section(SectionKind::PageHeader).Height = 400;
    d.label(SectionKind::PageHeader, u"Kopf"_qs, u"Nr. %r / %p"_qs, 0, 0, 3000, 300);
    d.section(SectionKind::PageFooter).Height = 400;
    d.textBox(SectionKind::PageFooter, u"Fuss"_qs, u"Nr"_qs, 0, 0, 3000, 300);
    d.label(SectionKind::PageFooter, u"Marke"_qs, u"Anfang"_qs, 4000, 0, 3000, 300).On = PrintOn::RowStart;
    d.section(SectionKind::Detail).Height = 1000;
    d.textBox(SectionKind::Detail, u"Text"_qs, u"Text"_qs, 0, 0, 8000, 1000);

    const Report report(d, textRows({lines(90), lines(3)}));
    ASSERT_EQ(report.pageCount(), 3);
    QStringList text;
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        const std::vector<ReportItem> items = report.pageItems(page);
        EXPECT_EQ(overlappingTexts(items).join(u'\n').toStdString(), "");
        EXPECT_EQ(outsideMargins(report, items).join(u'\n').toStdString(), "");
        EXPECT_EQ(linesOf(items, u"Kopf"_qs), page == 1 ? QStringList{u"Nr. 2 / 2"_qs} : QStringList());
        EXPECT_EQ(linesOf(items, u"Marke"_qs), page == 1 ? QStringList() : QStringList{u"Anfang"_qs});
        EXPECT_EQ(linesOf(items, u"Fuss"_qs), QStringList{page < 2 ? u"1"_qs : u"2"_qs});
        if (page < 2)
            text += linesOf(items, u"Text"_qs);
    }
    EXPECT_EQ(text.join(u"\r\n"_qs), lines(90));

    d.NewPagePerRow = false;
    d.section(SectionKind::Detail).Height = 250;
    for (const bool together : {false, true}) {
        SCOPED_TRACE(together);
        d.section(SectionKind::Detail).KeepTogether = together;
        QStringList rows(70, lines(1));
        rows[58] = lines(8); // where the first page ends
        const Report list(d, textRows(rows));
        ASSERT_EQ(list.pageCount(), 2);
        const QStringList onFirst = linesOf(list.pageItems(0), u"Text"_qs);
        // Kept together, the eight lines of that row are all on one page.
        const qsizetype eights = onFirst.count(u"Zeile 8"_qs) + linesOf(list.pageItems(1), u"Text"_qs).count(u"Zeile 8"_qs);
        EXPECT_EQ(eights, 1);
        EXPECT_EQ(onFirst.count(u"Zeile 2"_qs) == onFirst.count(u"Zeile 8"_qs), together);
    }
}
