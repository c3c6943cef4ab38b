// Hybrid e-invoices of typical and awkward owners, made as a run makes them, checked by the
// norm's own artefacts (CII schema, EN 16931 rules compiled to XSLT) and against what the
// printed letter says.
#include "einvoice/EInvoiceFixture.h"
#include "support/PdfText.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>

using namespace qvl;
using namespace qvl::test;

namespace {

const QString kValidator = QStringLiteral(QVL_SOURCE_DIR "/../shared/tools/validate-einvoice");

struct Case {
    const char *name;
    bool directDebit;
    bool vatOnTop;
    QList<Fee> fees;
    std::function<void(Buchung &)> owner;
    std::function<void(FrmDTA &)> settings = {};
};

const QString kInsurance = QStringLiteral("Versicherungsleistung, steuerfrei nach § 4 Nr. 10 UStG");
const QString kSmall = QStringLiteral("Kleinunternehmer nach § 19 UStG");

const QList<Case> &cases()
{
    static const QList<Case> all{
        {"debit notice, one fee, VAT on top", true, true, {{0, 20.03, u"19"_qs}}, {}},
        {"invoice, five fees of three rates, VAT included",
         false,
         false,
         {{0, 40.00, u"19"_qs}, {1, 12.35, u"7"_qs}, {2, 8.99, u"19"_qs}, {3, 3.33, u"10,7"_qs}, {4, 15.01, u"7"_qs}},
         {}},
        {"invoice without VAT", false, true, {{0, 25.00, {}}, {1, 7.50, {}}}, [](Buchung &b) { b.USTID.clear(); }},
        {"business in Austria with a VAT identifier",
         false,
         true,
         {{0, 30.00, u"19"_qs}, {1, 5.00, {}}},
         [](Buchung &b) {
             b.NationOrig = u"A"_qs;
             b.PLZ = u"6020"_qs;
             b.OrtOrig = u"Innsbruck"_qs;
             b.USTID = u"ATU12345678"_qs;
         }},
        {"name with &, < and ü",
         true,
         false,
         {{0, 18.00, u"19"_qs}},
         [](Buchung &b) {
             b.NameOrig = u"Müller & Söhne <Forst>"_qs;
             b.VornameOrig = u"Jürgen"_qs;
         }},
        {"business year from July to June",
         true,
         true,
         {{0, 45.00, u"19"_qs}},
         {},
         [](FrmDTA &f) {
             f.lWirtschaftsjahrBeginn = 7;
             f.txtWirtschaftsjahr.Text = u"2026/2027"_qs;
         }},
        {"a rate of 0 % beside 19 %", false, true, {{0, 20.00, u"19"_qs}, {1, 5.00, u"0"_qs}}, {}},
        {"an exempt insurance fee beside a fee with VAT, the association's VAT identifier",
         true,
         false,
         {{0, 30.00, u"19"_qs}, {1, 12.00, {}}},
         {},
         [](FrmDTA &f) {
             f.aSteuerbefreiung[1] = kInsurance;
             f.strUStIdNr = u"DE987654321"_qs;
         }},
        {"a small association: no VAT at all", false, true, {{0, 25.00, {}}, {1, 7.50, {}}}, {},
         [](FrmDTA &f) { f.aSteuerbefreiung.fill(kSmall); }},
        {"VAT included in 1.234,56: a cent of rounding", true, false, {{0, 1234.56, u"19"_qs}}, {}},
    };
    return all;
}

// Every case's e-invoice, made once for the whole suite (each made by a run of its own).
class EInvoiceFiles : public ::testing::Test {
protected:
    struct Made {
        QString pdf;
        Buchung record;
        bool vatOnTop = false;
    };
    static void SetUpTestSuite()
    {
        bench = new EInvoiceBench;
        for (int i = 0; i < cases().size(); ++i) {
            const Case &c = cases().at(i);
            Buchung b = businessOwner(100 + i);
            if (c.owner)
                c.owner(b);
            FrmDTA &f = *bench->form;
            f.lWirtschaftsjahrBeginn = 1;
            f.txtWirtschaftsjahr.Text = u"2026"_qs;
            f.aSteuerbefreiung.fill(kDefaultExemptionReason);
            f.strUStIdNr.clear();
            if (c.settings)
                c.settings(f);
            bench->form->txtRechNr.Text = QString::number(500 + i);
            const EInvoiceOutcome out = bench->run({b}, c.fees, c.directDebit, c.vatOnTop);
            made.append({out.files.value(0), bench->records.at(0), c.vatOnTop});
        }
    }
    static void TearDownTestSuite()
    {
        delete bench;
        made.clear();
    }
    static inline EInvoiceBench *bench = nullptr;
    static inline QList<Made> made;
};

double amountOf(const QString &printed)
{
    return QString(printed).remove(u'.').replace(u',', u'.').toDouble();
}

} // namespace

TEST_F(EInvoiceFiles, PassTheSchemaAndEveryRuleOfTheNorm)
{
    if (!QFileInfo(kValidator).isExecutable())
        GTEST_SKIP() << "the e-invoice validator is not beside this checkout";
    QStringList files;
    for (const Made &m : made) {
        ASSERT_TRUE(QFileInfo::exists(m.pdf)) << m.pdf.toStdString();
        files.append(m.pdf);
    }
    int exitCode = -1;
    const QString out = runTool(kValidator, files, &exitCode);
    EXPECT_EQ(exitCode, 0) << out.toStdString();
    EXPECT_EQ(out.count(u": valid (CII schema, EN 16931 rules)"_qs), files.size()) << out.toStdString();
}

TEST_F(EInvoiceFiles, EmbeddedTotalsAreTheLettersSums)
{
    for (int i = 0; i < made.size(); ++i) {
        SCOPED_TRACE(cases().at(i).name);
        const Made &m = made.at(i);
        const QString xml = embeddedXml(m.pdf);
        const QStringList pages = pdfPages(m.pdf);
        ASSERT_EQ(pages.size(), 1);
        const QString &letter = pages.first();

        // What the owner pays: the run's total, as the letter prints it.
        const double due = element(xml, u"ram:DuePayableAmount"_qs).toDouble();
        EXPECT_DOUBLE_EQ(due * 100, m.record.SummeCent.cents());
        const double grand = element(xml, u"ram:GrandTotalAmount"_qs).toDouble();
        const double basis = element(xml, u"ram:TaxBasisTotalAmount"_qs).toDouble();
        const double tax = element(xml, u"ram:TaxTotalAmount"_qs).toDouble();
        const double rounding = element(xml, u"ram:RoundingAmount"_qs).toDouble();
        EXPECT_NEAR(grand + rounding, due, 1e-9); // a cent at most, kept apart by VAT included
        EXPECT_NEAR(basis + tax, grand, 1e-9);
        const QRegularExpression total(u"Gesamt: +([0-9.,]+) EUR"_qs);
        const QRegularExpression subtotal(u"Zwischensumme: +([0-9.,]+) EUR"_qs);
        const QRegularExpression sumLine(u"(?:^|\n) {20,}([0-9.,]+) EUR *(?:\n|$)"_qs);
        const bool anyVat = std::any_of(m.record.SteuerText.begin(), m.record.SteuerText.end(),
                                        [](const QString &t) { return !t.isEmpty(); });
        if (m.vatOnTop && anyVat) {
            ASSERT_TRUE(total.match(letter).hasMatch()) << letter.toStdString();
            EXPECT_DOUBLE_EQ(amountOf(total.match(letter).captured(1)), due);
            EXPECT_DOUBLE_EQ(amountOf(subtotal.match(letter).captured(1)), basis);
        } else {
            ASSERT_TRUE(sumLine.match(letter).hasMatch()) << letter.toStdString();
            EXPECT_DOUBLE_EQ(amountOf(sumLine.match(letter).captured(1)), due);
        }
    }
}

TEST_F(EInvoiceFiles, EveryFontIsAnEmbeddedSubsetAndAOnePageInvoiceStaysSmall)
{
    for (const Made &m : made) {
        const QStringList fonts = runTool(u"pdffonts"_qs, {m.pdf}).split(u'\n', Qt::SkipEmptyParts).mid(2);
        ASSERT_FALSE(fonts.isEmpty()) << m.pdf.toStdString();
        for (const QString &font : fonts)
            EXPECT_TRUE(font.contains(QRegularExpression(u" yes +yes +yes +\\d+ +0$"_qs))) << font.toStdString();
        EXPECT_LE(QFileInfo(m.pdf).size(), 100 * 1024);
    }
}

TEST_F(EInvoiceFiles, PartiesAndPaymentAsTheRecordsSay)
{
    const QString debit = embeddedXml(made.at(0).pdf);
    EXPECT_EQ(element(debit, u"ram:TypeCode"_qs), u"380"_qs);
    EXPECT_TRUE(debit.contains(u"<ram:TypeCode>59</ram:TypeCode>"_qs));
    EXPECT_EQ(element(debit, u"ram:DirectDebitMandateID"_qs), u"M-100"_qs);
    EXPECT_EQ(element(debit, u"ram:CreditorReferenceID"_qs), u"DE98ZZZ09999999999"_qs);
    EXPECT_TRUE(debit.contains(u"<ram:IBANID>DE02120300000000202051</ram:IBANID>"_qs));
    EXPECT_TRUE(debit.contains(u"<udt:DateTimeString format=\"102\">20270115</udt:DateTimeString>"_qs));

    const QString transfer = embeddedXml(made.at(1).pdf);
    EXPECT_TRUE(transfer.contains(u"<ram:TypeCode>58</ram:TypeCode>"_qs));
    EXPECT_TRUE(transfer.contains(u"<ram:IBANID>DE89370400440532013000</ram:IBANID>"_qs));
    EXPECT_EQ(element(transfer, u"ram:BICID"_qs), u"COBADEFFXXX"_qs);
    EXPECT_EQ(transfer.count(u"<ram:IncludedSupplyChainTradeLineItem>"_qs), 5);
    EXPECT_EQ(transfer.count(u"<ram:CategoryCode>S</ram:CategoryCode>"_qs), 5 + 3); // lines, then one per rate

    const QString noVat = embeddedXml(made.at(2).pdf);
    EXPECT_FALSE(noVat.contains(u"schemeID=\"VA\""_qs));
    EXPECT_EQ(noVat.count(u"<ram:CategoryCode>O</ram:CategoryCode>"_qs), 2 + 1);

    const QString austria = embeddedXml(made.at(3).pdf);
    EXPECT_TRUE(austria.contains(u"<ram:CountryID>AT</ram:CountryID>"_qs));
    EXPECT_TRUE(austria.contains(u"<ram:ID schemeID=\"VA\">ATU12345678</ram:ID>"_qs));
    EXPECT_TRUE(austria.contains(u"<ram:CategoryCode>E</ram:CategoryCode>"_qs)); // the fee without VAT

    const QString name = embeddedXml(made.at(4).pdf);
    EXPECT_TRUE(name.contains(u"<ram:Name>Jürgen Müller &amp; Söhne &lt;Forst&gt;</ram:Name>"_qs));
    // The payment texts say what the letter says.
    EXPECT_EQ(element(debit, u"ram:PaymentReference"_qs), u"Rechnung Nr. 500"_qs);
    EXPECT_TRUE(element(debit, u"ram:Description"_qs)
                    .startsWith(u"Bitte nicht selbst überweisen! - Betrag wird am 15.01.2027 von folgendem Konto"_qs));
    EXPECT_FALSE(transfer.contains(u"Zahlbar sofort"_qs));
}

TEST_F(EInvoiceFiles, TaxLawFieldsAsTheSettingsSay)
{
    // The business year from July: the billing period and the letter's title.
    const QString year = embeddedXml(made.at(5).pdf);
    const QRegularExpression period(
        u"<ram:BillingSpecifiedPeriod>\\s*<ram:StartDateTime>\\s*<udt:DateTimeString format=\"102\">20260701<"
        ".*?<ram:EndDateTime>\\s*<udt:DateTimeString format=\"102\">20270630<"_qs,
        QRegularExpression::DotMatchesEverythingOption);
    EXPECT_TRUE(period.match(year).hasMatch()) << year.toStdString();
    EXPECT_TRUE(pdfPages(made.at(5).pdf).first().contains(u"Wirtschaftsjahr 2026/2027 (01.07.2026 bis 30.06.2027)"_qs));

    // A rate of 0 % beside 19 %: exempt, with the fee's reason.
    const QString zero = embeddedXml(made.at(6).pdf);
    EXPECT_TRUE(zero.contains(u"<ram:ExemptionReason>Nicht steuerbarer Mitgliedsbeitrag</ram:ExemptionReason>"_qs));
    EXPECT_EQ(zero.count(u"<ram:CategoryCode>E</ram:CategoryCode>"_qs), 2); // the line and its breakdown

    // The insurance fee's own reason; the association's VAT identifier as seller.
    const QString insurance = embeddedXml(made.at(7).pdf);
    EXPECT_TRUE(insurance.contains(u"<ram:ExemptionReason>"_qs + kInsurance + u"</ram:ExemptionReason>"_qs));
    EXPECT_TRUE(insurance.contains(u"<ram:ID schemeID=\"VA\">DE987654321</ram:ID>"_qs));

    // A small association: the whole invoice outside VAT, with its reason.
    const QString small = embeddedXml(made.at(8).pdf);
    EXPECT_TRUE(small.contains(u"<ram:ExemptionReason>"_qs + kSmall + u"</ram:ExemptionReason>"_qs));
    EXPECT_FALSE(small.contains(u"<ram:CategoryCode>E</ram:CategoryCode>"_qs));

    // VAT included: net 1.037,44, VAT 197,11 (the net's), a cent of rounding, 1.234,56 due.
    const QString gross = embeddedXml(made.at(9).pdf);
    EXPECT_EQ(element(gross, u"ram:TaxBasisTotalAmount"_qs), u"1037.44"_qs);
    EXPECT_EQ(element(gross, u"ram:TaxTotalAmount"_qs), u"197.11"_qs);
    EXPECT_EQ(element(gross, u"ram:RoundingAmount"_qs), u"0.01"_qs);
    EXPECT_EQ(element(gross, u"ram:DuePayableAmount"_qs), u"1234.56"_qs);
    EXPECT_TRUE(pdfPages(made.at(9).pdf).first().contains(u"19% MwSt 197,11€ aus 1.234,56€"_qs));
}

TEST_F(EInvoiceFiles, TheXmlIsTheLettersAlternativeAndTheMetadataDeclarePdfA3)
{
    QPDF pdf;
    pdf.processFile(made.at(0).pdf.toStdString().c_str());
    QPDFObjectHandle root = pdf.getRoot();

    // The catalog lists the XML as associated file, the alternative form of the letter.
    QPDFObjectHandle af = root.getKey("/AF");
    ASSERT_TRUE(af.isArray());
    ASSERT_EQ(af.getArrayNItems(), 1);
    QPDFObjectHandle spec = af.getArrayItem(0);
    EXPECT_EQ(spec.getKey("/AFRelationship").getName(), "/Alternative");
    EXPECT_EQ(spec.getKey("/F").getUTF8Value(), "factur-x.xml");
    EXPECT_EQ(spec.getKey("/UF").getUTF8Value(), "factur-x.xml");
    QPDFObjectHandle file = spec.getKey("/EF").getKey("/F");
    EXPECT_EQ(file.getDict().getKey("/Subtype").getName(), "/text/xml");
    EXPECT_TRUE(file.getDict().getKey("/Params").getKey("/ModDate").isString());
    // … and in the name tree a reader's attachment list shows.
    EXPECT_TRUE(root.getKey("/Names").getKey("/EmbeddedFiles").isDictionary());

    // The sRGB output intent of PDF/A.
    QPDFObjectHandle intent = root.getKey("/OutputIntents").getArrayItem(0);
    EXPECT_EQ(intent.getKey("/S").getName(), "/GTS_PDFA1");
    EXPECT_TRUE(intent.getKey("/DestOutputProfile").isStream());

    const std::shared_ptr<Buffer> xmp = root.getKey("/Metadata").getStreamData();
    const QString metadata =
        QString::fromUtf8(reinterpret_cast<const char *>(xmp->getBuffer()), qsizetype(xmp->getSize()));
    for (const char16_t *field : {u"<pdfaid:part>3</pdfaid:part>", u"<pdfaid:conformance>B</pdfaid:conformance>",
                                  u"<fx:DocumentType>INVOICE</fx:DocumentType>",
                                  u"<fx:DocumentFileName>factur-x.xml</fx:DocumentFileName>",
                                  u"<fx:Version>1.0</fx:Version>",
                                  u"<fx:ConformanceLevel>EN 16931</fx:ConformanceLevel>",
                                  u"<pdfaSchema:prefix>fx</pdfaSchema:prefix>"})
        EXPECT_TRUE(metadata.contains(QString::fromUtf16(field))) << QString::fromUtf16(field).toStdString();
    EXPECT_EQ(pdf.getPDFVersion(), "1.7");
}
