#include "app/RunInputs.h"
#include "support/BookedAmounts.h"
#include "einvoice/CiiSchema.h"
#include "einvoice/CiiXml.h"
#include "einvoice/CountryCodes.h"
#include "einvoice/EInvoiceData.h"
#include "einvoice/EInvoiceFixture.h"
#include "app/ERechnungForm.h"
#include "params/EInvoiceFromForm.h"
#include "app/Settings.h"
#include "commands/ProgramStart.h"
#include "files/AnsiTextFile.h"
#include "files/NewFileWriters.h"
#include "run/EInvoiceStep.h"
#include "core/ErrorLog.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

// The form's run values and one owner's computed fees, without letters or files.
struct DataCase {
    EInvoiceBench bench;

    EInvoiceBuild build(Buchung b, const QList<Fee> &fees, bool vatOnTop, bool directDebit = false,
                        const QSet<long> &notCollected = {})
    {
        FrmDTA &f = *bench.form;
        f.LaoderRe[0].Value = directDebit;
        f.bBeitraegeNetto = vatOnTop;
        for (const Fee &fee : fees) {
            b.Fixbeitrag[fee.slot] = fee.amount;
            f.chkBeitrag[size_t(fee.slot)].Value = 1;
            f.txtMwst[size_t(fee.slot)].Text = fee.rate;
        }
        Buchungen records{b};
        CalcBeitraege(readRunInputs(f), records, f.bRundeBeitrag);
        return buildEInvoiceData(eInvoiceRun(f, readRunInputs(f), f.txtFirmenName.Text, notCollected), records.at(0));
    }
};

} // namespace

TEST(EInvoiceData, VatCategoriesAndNetAmountsAddUpToTheOwnersTotal)
{
    struct Row {
        const char *name;
        QList<Fee> fees;
        bool vatOnTop;
        QList<VatCategory> categories;
        QList<qint64> nets;
        qint64 tax, due;
    };
    const Row rows[] = {
        // Two fees at one rate: the VAT of their total (3,8114), as the letter prints it.
        {"on top, one rate", {{0, 10.03, u"19"_qs}, {1, 10.03, u"19"_qs}}, true,
         {VatCategory::Standard, VatCategory::Standard}, {1003, 1003}, 381, 2387},
        {"included", {{0, 11.90, u"19"_qs}, {1, 10.70, u"7"_qs}}, false,
         {VatCategory::Standard, VatCategory::Standard}, {1000, 1000}, 260, 2260},
        {"no VAT at all", {{0, 25.00, {}}, {2, 4.99, {}}}, true, {VatCategory::NotSubject, VatCategory::NotSubject},
         {2500, 499}, 0, 2999},
        {"mixed", {{0, 25.00, {}}, {1, 10.00, u"19"_qs}}, true, {VatCategory::Exempt, VatCategory::Standard},
         {2500, 1000}, 190, 3690},
        {"a rate of 0 is no VAT", {{0, 25.00, u"0"_qs}}, true, {VatCategory::NotSubject}, {2500}, 0, 2500},
        // The letter says "KEIN BEITRAG FÄLLIG": no line of 0,00 with an exemption reason.
        {"a fee not due is no line", {{0, 25.00, {}}, {1, 0, {}}, {2, 10.00, u"19"_qs}}, true,
         {VatCategory::Exempt, VatCategory::Standard}, {2500, 1000}, 190, 3690},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DataCase c;
        const EInvoiceBuild built = c.build(businessOwner(7), row.fees, row.vatOnTop);
        ASSERT_TRUE(built.data) << built.problem.toStdString();
        const EInvoiceData &d = *built.data;
        ASSERT_EQ(d.lines.size(), row.categories.size());
        qint64 basis = 0, tax = 0;
        for (int i = 0; i < d.lines.size(); ++i) {
            EXPECT_EQ(d.lines[i].category, row.categories[i]);
            EXPECT_EQ(d.lines[i].netCents.cents(), row.nets[i]);
        }
        for (const EInvoiceVatGroup &g : d.vat) {
            basis += g.basisCents.cents();
            tax += g.taxCents.cents();
        }
        EXPECT_EQ(d.taxTotalCents.cents(), row.tax);
        EXPECT_EQ(tax, row.tax);
        EXPECT_EQ(basis, d.lineTotalCents.cents());
        EXPECT_EQ(d.grandTotalCents.cents(), row.due);
        EXPECT_EQ(d.duePayableCents.cents(), row.due);
        EXPECT_EQ(d.roundingCents.cents(), 0);
        // A buyer VAT identifier only where the invoice has VAT categories.
        EXPECT_EQ(d.buyer.vatId.isEmpty(), row.categories.first() == VatCategory::NotSubject);
    }
}

TEST(EInvoiceData, AWholeEuroTotalShowsItsRoundingAndAnUncollectedDebitIsATransfer)
{
    DataCase c;
    Buchung b = businessOwner(8);
    b.Id_Personal = 4711;
    EInvoiceBuild built = c.build(b, {{0, 12.50, {}}}, true, true, {4711});
    ASSERT_TRUE(built.data);
    EXPECT_EQ(built.data->payment.kind, PaymentKind::CreditTransfer);
    EXPECT_EQ(built.data->payment.payeeIban, u"DE89370400440532013000"_qs);

    // VAT included: a gross of 1.234,56 at 19 % that no net plus its VAT reaches exactly
    // keeps one cent apart as the invoice's rounding amount; the VAT is the net's.
    built = c.build(b, {{0, 1234.56, u"19"_qs}}, false, true);
    ASSERT_TRUE(built.data);
    EXPECT_EQ(built.data->lineTotalCents, Money(103744));
    EXPECT_EQ(built.data->taxTotalCents, Money(19711));
    EXPECT_EQ(built.data->grandTotalCents, Money(123455));
    EXPECT_EQ(built.data->roundingCents, Money(1));
    EXPECT_EQ(built.data->duePayableCents, Money(123456));
    EXPECT_EQ(built.data->payment.kind, PaymentKind::DirectDebit);
    EXPECT_EQ(built.data->payment.mandate, u"M-8"_qs);
    EXPECT_TRUE(built.data->payment.terms.startsWith(u"Bitte nicht selbst überweisen! - Betrag wird am 15.01.2027"_qs));
    EXPECT_EQ(built.data->payment.reference, u"Rechnung Nr. "_qs + built.data->number);
}

TEST(EInvoiceData, DataThatMakeNoValidInvoiceAreNamed)
{
    const std::pair<std::function<void(Buchung &, FrmDTA &)>, QString> rows[] = {
        {[](Buchung &b, FrmDTA &) { b.StrasseOrig.clear(); }, u"Anschrift ist unvollständig"_qs},
        {[](Buchung &b, FrmDTA &) { b.OrtOrig.clear(); }, u"Anschrift ist unvollständig"_qs},
        {[](Buchung &b, FrmDTA &) { b.NameOrig.clear(); }, u"Name fehlt"_qs},
        {[](Buchung &b, FrmDTA &) { b.NationOrig = u"XQ"_qs; }, u"„XQ“ ist unbekannt"_qs},
        {[](Buchung &, FrmDTA &f) { f.txtSteuernummer.Text.clear(); }, u"Steuernummer des Vereins fehlt"_qs},
        {[](Buchung &, FrmDTA &f) { f.strWaehrung = u"Euros"_qs; }, u"kein ISO-Währungscode"_qs},
        {[](Buchung &, FrmDTA &f) { f.txtOrt.Text.clear(); }, u"Anschrift des Vereins"_qs},
    };
    for (const auto &[change, text] : rows) {
        DataCase c;
        Buchung b = businessOwner(9);
        change(b, *c.bench.form);
        const EInvoiceBuild built = c.build(b, {{0, 10.00, u"19"_qs}}, true);
        EXPECT_FALSE(built.data) << text.toStdString();
        EXPECT_TRUE(built.problem.contains(text)) << built.problem.toStdString();
    }
    // A post-office box is an address too.
    DataCase c;
    Buchung b = businessOwner(9);
    b.StrasseOrig.clear();
    b.Postfach = u"Postfach 12"_qs;
    EXPECT_TRUE(c.build(b, {{0, 10.00, {}}}, true).data);

    // An optional field the invoice cannot carry is left out, not the invoice.
    DataCase vat;
    Buchung owner = businessOwner(10);
    owner.USTID = u"123456789"_qs;
    vat.bench.form->strUStIdNr = u"12345"_qs;
    const EInvoiceBuild built = vat.build(owner, {{0, 10.00, u"19"_qs}}, true);
    ASSERT_TRUE(built.data) << built.problem.toStdString();
    EXPECT_TRUE(built.data->buyer.vatId.isEmpty());
    EXPECT_TRUE(built.data->seller.vatId.isEmpty());
    ASSERT_EQ(built.leftOut.size(), 2);
    EXPECT_TRUE(built.leftOut.at(1).contains(u"„123456789“"_qs));
}

TEST(EInvoiceData, CountriesFromTheSuitesVehicleCodes)
{
    const std::pair<const char16_t *, const char16_t *> rows[] = {
        {u"", u"DE"},   {u"D", u"DE"},  {u" d ", u"DE"}, {u"A", u"AT"},  {u"CH", u"CH"},  {u"I", u"IT"},
        {u"F", u"FR"},  {u"NL", u"NL"}, {u"B", u"BE"},   {u"L", u"LU"},  {u"FL", u"LI"},  {u"DK", u"DK"},
        {u"AT", u"AT"}, {u"DE", u"DE"}, {u"SLO", u"SI"}, {u"XQ", u""},   {u"Deutschland", u""}};
    for (const auto &[nation, iso] : rows)
        EXPECT_EQ(isoCountryCode(QString::fromUtf16(nation)), QString::fromUtf16(iso))
            << QString::fromUtf16(nation).toStdString();
}

TEST(EInvoiceXml, TextIsEscapedAndAmountsAreWholeCents)
{
    const std::pair<const char16_t *, const char16_t *> texts[] = {
        {u"Müller & Söhne", u"Müller &amp; Söhne"},
        {u"<Forst> \"Tann\" 'Eck'", u"&lt;Forst&gt; &quot;Tann&quot; &apos;Eck&apos;"},
        {u"Zeile 1\r\nZeile 2\rZeile 3", u"Zeile 1\nZeile 2\nZeile 3"},
        {u"Tab\tbleibt, \x01\x1F weg", u"Tab\tbleibt,  weg"},
        {u"\U0001F332 Baum", u"\U0001F332 Baum"},
    };
    for (const auto &[text, escaped] : texts)
        EXPECT_EQ(xmlEscaped(QString::fromUtf16(text)), QString::fromUtf16(escaped));
    EXPECT_EQ(xmlEscaped(QString(QChar(0xD800)) + u"x"_qs), u"x"_qs); // a lone surrogate

    const std::pair<qint64, const char *> amounts[] = {{0, "0.00"},         {5, "0.05"},   {-5, "-0.05"},
                                                       {123450, "1234.50"}, {-1999, "-19.99"}};
    for (const auto &[cents, text] : amounts)
        EXPECT_EQ(ciiAmount(Money(cents)), QString::fromLatin1(text));
}

TEST(EInvoiceXml, TheBuiltInSchemaAcceptsTheInvoiceAndRefusesABrokenOne)
{
    DataCase c;
    const EInvoiceBuild built = c.build(businessOwner(10), {{0, 10.00, u"19"_qs}}, true);
    ASSERT_TRUE(built.data);
    const QByteArray xml = ciiXml(*built.data);
    EXPECT_EQ(ciiSchemaError(xml), std::nullopt);
    // An amount with the decimal comma is no amount for the schema.
    QByteArray comma = xml;
    comma.replace("<ram:LineTotalAmount>10.00</ram:LineTotalAmount>",
                  "<ram:LineTotalAmount>10,00</ram:LineTotalAmount>");
    ASSERT_NE(comma, xml);
    EXPECT_TRUE(ciiSchemaError(comma).value_or(QString()).contains(u"LineTotalAmount"_qs))
        << ciiSchemaError(comma).value_or(u"valid"_qs).toStdString();
    EXPECT_TRUE(ciiSchemaError("<rsm:CrossIndustryInvoice").has_value());
}

TEST(ERechnungSetting, ThreeValuesLoadedShownSavedAndApplied)
{
    struct Row {
        const char16_t *setting;
        int box;
        const char16_t *saved;
        bool business, other;
    };
    const Row rows[] = {
        {u"", 1, u"Unternehmer", true, false},          {u"Unternehmer", 1, u"Unternehmer", true, false},
        {u" alle ", 1, u"Alle", true, true},            {u"Keine", 0, u"Keine", false, false},
        {u"irgendwas", 1, u"Unternehmer", true, false},
    };
    Buchung business = businessOwner(1);
    Buchung other = businessOwner(2);
    other.Unternehmer = u"1"_qs;
    for (const Row &row : rows) {
        const QString setting = QString::fromUtf16(row.setting);
        Workspace ws(1);
        QStringList settings = demoSettings();
        if (!setting.isEmpty())
            settings << u"ERechnung="_qs + setting;
        ws.writeSettings(settings);
        auto form = ws.form();
        ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
        EXPECT_EQ(form->chkERechnung.Value, row.box) << setting.toStdString();
        EXPECT_TRUE(SettingsLines(*form).contains(u"ERechnung="_qs + QString::fromUtf16(row.saved)));
        const ERechnungMode mode = eRechnungMode(*form);
        EXPECT_EQ(getsEInvoice(mode, business), row.business) << setting.toStdString();
        EXPECT_EQ(getsEInvoice(mode, other), row.other) << setting.toStdString();
    }
    // The box switches e-invoices off and on again; "Alle" survives a tick.
    Workspace ws(1);
    auto form = ws.form();
    loadERechnung(*form, u"Alle"_qs);
    form->names().set(u"chkERechnung"_qs, u"0"_qs);
    EXPECT_EQ(savedERechnung(*form), u"Keine"_qs);
    form->names().set(u"chkERechnung"_qs, u"1"_qs);
    EXPECT_EQ(savedERechnung(*form), u"Alle"_qs);
}

TEST(EInvoiceFilesTest, AnExistingFileIsNeverReplaced)
{
    EInvoiceBench bench;
    bench.form->txtRechNr.Text = u"700"_qs;
    const QString folder = bench.ws.root() + u"/E-Rechnungen"_qs;
    QDir().mkpath(folder);
    QFile taken(folder + u"/700_11.pdf"_qs);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("not mine");
    taken.close();

    const EInvoiceOutcome out = bench.run({businessOwner(11)}, {{0, 10.00, u"19"_qs}}, true, true);
    ASSERT_EQ(out.files.size(), 1);
    EXPECT_EQ(QFileInfo(out.files.first()).fileName(), u"700_11_2.pdf"_qs);
    ASSERT_TRUE(taken.open(QIODevice::ReadOnly));
    EXPECT_EQ(taken.readAll(), QByteArray("not mine"));
    // No temporary file is left behind.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
    EXPECT_EQ(NewFileWriters::alternativeName(u"/a/b.c/4_17.pdf"_qs, 3), u"/a/b.c/4_17_3.pdf"_qs);
}

TEST(EInvoiceFilesTest, AnOwnerWithoutAddressGetsNoneIsLoggedAndTold)
{
    EInvoiceBench bench;
    bench.form->txtRechNr.Text = u"800"_qs;
    Buchung homeless = businessOwner(21);
    homeless.StrasseOrig.clear();
    Buchung nonBusiness = businessOwner(22);
    nonBusiness.Unternehmer = u"1"_qs;
    const EInvoiceOutcome out =
        bench.run({businessOwner(20), homeless, nonBusiness}, {{0, 10.00, u"19"_qs}}, true, true);
    ASSERT_EQ(out.files.size(), 1);
    EXPECT_EQ(QFileInfo(out.files.first()).fileName(), u"800_20.pdf"_qs);
    EXPECT_FALSE(QFileInfo::exists(out.folder + u"/801_21.pdf"_qs));
    ASSERT_EQ(out.refused.size(), 1);
    EXPECT_TRUE(out.refused.first().startsWith(u"21 Sägewerk Tanner GmbH: Die Anschrift"_qs));
    const QStringList log = readAnsiLines(logFilePath(bench.ws.programDir())).value_or(QStringList());
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log.first().contains(u"Keine E-Rechnung für Waldbesitzer 21 Sägewerk Tanner GmbH (Rechnung 801): "
                                     "Die Anschrift ist unvollständig"_qs))
        << log.first().toStdString();

    // The run's step tells the clerk and opens the log; the run itself goes on.
    RunReport report;
    const Report letters = PrintRechnungen(*bench.form, bench.records);
    ERechnungStep(*bench.form, readRunInputs(*bench.form), nullptr, bench.records, letters, {}, report);
    EXPECT_EQ(report.outcome, RunOutcome::Completed);
    EXPECT_EQ(report.outputs.size(), 1);
    ASSERT_FALSE(bench.ws.ui.messages.isEmpty());
    EXPECT_TRUE(bench.ws.ui.messages.last().text.contains(u"Für 1 Waldbesitzer konnte keine E-Rechnung"_qs));
    EXPECT_EQ(bench.ws.ui.openedFiles, QStringList{logFilePath(bench.ws.programDir())});
}
