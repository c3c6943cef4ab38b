#include "platform/RecordSet.h"
#include "print/Report.h"
#include "support/PdfText.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;

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
    };
    const Case cases[] = {
        {FieldType::Text, 5, u"12345"_qs, {}},
        {FieldType::Text, 5, u"123456"_qs, u"Der Wert „123456“ ist länger als die 5 Zeichen der Spalte „X“."_qs},
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
    }
}

TEST(ReportTest, PdfShowsRowsFormattedSumAndPageNumbers)
{
    QTemporaryDir dir;
    const Report report(sampleDesign(), sampleRows(120));
    ASSERT_GT(report.pageCount(), 2);
    const QString pdf = dir.filePath(u"probe.pdf"_qs);
    QString error;
    ASSERT_TRUE(report.writePdf(pdf, &error)) << error.toStdString();
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
    QString error;
    EXPECT_FALSE(report.writePdf(u"/nicht/da/probe.pdf"_qs, &error));
    EXPECT_TRUE(error.startsWith(u"Die Datei „/nicht/da/probe.pdf“ konnte nicht geschrieben werden"_qs)) << error.toStdString();
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
