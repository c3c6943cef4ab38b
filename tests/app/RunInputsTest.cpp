#include "app/RunInputs.h"

#include "core/RunError.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qvl;
using namespace qvl::test;

namespace {

struct Refusal {
    const char *what;
    std::function<void(FrmDTA &)> set;
    const char16_t *message;
};

void PrintTo(const Refusal &r, std::ostream *out)
{
    *out << r.what;
}

class RunInputsRefusal : public testing::TestWithParam<Refusal> {};

// A text no box would take, come by another way than typing (the settings file, --set):
// the run refuses it by the box's name and with the text, and reads nothing else.
TEST_P(RunInputsRefusal, NamesTheBoxAndTheText)
{
    Workspace ws(0);
    const std::unique_ptr<FrmDTA> form = ws.form();
    GetParam().set(*form);
    try {
        readRunInputs(*form);
        ADD_FAILURE() << "not refused";
    } catch (const RunError &e) {
        EXPECT_EQ(e.kind(), RunError::Kind::Input);
        EXPECT_EQ(e.message(), QString::fromUtf16(GetParam().message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfBox, RunInputsRefusal,
    testing::Values(
        Refusal{"due date", [](FrmDTA &f) { f.txtFaellDat.Text = u"bald"_qs; },
                u"Das Fälligkeitsdatum „bald“ ist kein gültiges Datum. Bitte korrigieren Sie es."},
        Refusal{"due date that is no day", [](FrmDTA &f) { f.txtFaellDat.Text = u" 29.02.2027 "_qs; },
                u"Das Fälligkeitsdatum „29.02.2027“ ist kein gültiges Datum. Bitte korrigieren Sie es."},
        Refusal{"invoice date", [](FrmDTA &f) { f.txtRechDat.Text = u"6.12."_qs; },
                u"Das Rechnungsdatum „6.12.“ ist kein gültiges Datum. Bitte korrigieren Sie es."},
        Refusal{"minimum fee", [](FrmDTA &f) { f.txtMindestbeitrag[2].Text = u"1.5"_qs; },
                u"Der Mindestbeitrag von „Beitrag 3“ ist keine gültige Zahl: „1.5“. Bitte korrigieren Sie ihn."},
        Refusal{"minimum fee below a cent",
                [](FrmDTA &f) {
                    f.aBeitragsNamen[0] = u"Mitgliedsbeitrag"_qs;
                    f.txtMindestbeitrag[0].Text = u"10,005"_qs;
                },
                u"Der Mindestbeitrag von „Mitgliedsbeitrag“ („10,005“) hat mehr als zwei Nachkommastellen. Bitte "
                u"korrigieren Sie ihn."},
        Refusal{"VAT rate", [](FrmDTA &f) { f.txtMwst[1].Text = u"19 %"_qs; },
                u"Der Mehrwertsteuersatz von „Beitrag 2“ ist keine gültige Zahl: „19 %“. Bitte korrigieren Sie ihn."},
        Refusal{"VAT rate above 100", [](FrmDTA &f) { f.txtMwst[4].Text = u"190"_qs; },
                u"Der Mehrwertsteuersatz von „Beitrag 5“ („190“) muss zwischen 0 und 100 liegen und hat höchstens "
                u"zwei Nachkommastellen. Bitte korrigieren Sie ihn."},
        Refusal{"scale hectares", [](FrmDTA &f) { f.txtStaffel[4].Text = u"5,5,5"_qs; },
                u"Der Wert der ha-Staffel in Zeile 4 (Hektar) ist keine gültige Zahl: „5,5,5“. Bitte korrigieren Sie "
                u"ihn."},
        Refusal{"scale's fixed fee", [](FrmDTA &f) { f.txtStaffel[21].Text = u"-3"_qs; },
                u"Der Wert der ha-Staffel in Zeile 1 (Beitrag in €) ist keine gültige Zahl: „-3“. Bitte korrigieren "
                u"Sie ihn."},
        Refusal{"formula step", [](FrmDTA &f) { f.txtHaZuschlag.Text = u"1.2"_qs; },
                u"Der Zuschlag der Formel („Zuschlag alle … ha“) ist keine gültige Zahl: „1.2“. Bitte korrigieren Sie "
                u"ihn."},
        Refusal{"maximum fee", [](FrmDTA &f) { f.txtHoechstbeitrag.Text = u"viel"_qs; },
                u"Der Höchstbeitrag ist keine gültige Zahl: „viel“. Bitte korrigieren Sie ihn."},
        Refusal{"invoice number", [](FrmDTA &f) { f.txtRechNr.Text = u"12,7"_qs; },
                u"Die Rechnungsnummer „12,7“ ist keine ganze Zahl von 1 bis 999.999.999. Bitte korrigieren Sie sie."},
        Refusal{"owner selection", [](FrmDTA &f) { f.strWBIN = u"(1001; 1002)"_qs; },
                u"Die Waldbesitzer-Auswahl „(1001; 1002)“ ist ungültig; sie muss eine Liste von Nummern in Klammern "
                u"sein."}));

TEST(RunInputs, ReadsEveryBoxAsItsRuleReadsIt)
{
    Workspace ws(0);
    const std::unique_ptr<FrmDTA> form = ws.form();
    FrmDTA &f = *form;
    f.LaoderRe[0].Value = false;
    f.LaoderRe[1].Value = true;
    f.txtFaellDat.Text = u"15.1.27"_qs;
    f.txtRechDat.Text.clear();
    f.lWirtschaftsjahrBeginn = 7;
    f.txtWirtschaftsjahr.Text = u"2026/27"_qs;
    f.chkBeitrag[0].Value = 1;
    f.chkBeitrag[3].Value = 1;
    f.txtMindestbeitrag[0].Text = u"1.234,5"_qs;
    f.txtMwst[3].Text = u" 5,5 "_qs;
    f.rbEinstellung[2].Value = true;
    f.txtStaffel[3].Text = u"12,3456"_qs;
    f.txtHaZuschlag.Text = u"0,25"_qs;
    f.txtRechNr.Text = u" 17 "_qs;
    f.strWBIN = u"( 1001,1002 , -3)"_qs;

    const RunInputs in = readRunInputs(f);
    EXPECT_EQ(in.payment, PaymentType::Invoice);
    EXPECT_EQ(in.dueDate, QDate(2027, 1, 15));
    EXPECT_EQ(in.invoiceDate, ws.clock.now().date()); // an empty box: the run's own day
    EXPECT_EQ(in.firstBusinessYear, 2026);
    ASSERT_TRUE(in.businessYear);
    EXPECT_EQ(in.businessYear->start, QDate(2026, 7, 1));
    EXPECT_TRUE(in.fees[0].ticked && in.fees[3].ticked && !in.fees[1].ticked);
    EXPECT_EQ(in.fees[0].minimumFee, Money(123450));
    EXPECT_FALSE(in.fees[1].minimumFee); // empty: no minimum
    EXPECT_TRUE(in.fees[3].vat.applies);
    EXPECT_DOUBLE_EQ(in.fees[3].vat.rate, 5.5);
    EXPECT_EQ(in.fees[3].vat.label, u"5,5"_qs);
    EXPECT_FALSE(in.fees[0].vat.applies);
    EXPECT_EQ(in.mode, CalculationMode::Formula);
    EXPECT_DOUBLE_EQ(in.scaleBoxes[3], 12.3456);
    EXPECT_DOUBLE_EQ(in.formulaStepHectares, 0.25);
    EXPECT_EQ(in.firstInvoiceNumber, 17);
    ASSERT_TRUE(in.owners);
    EXPECT_EQ(*in.owners, (QList<long>{1001, 1002, -3}));

    // Empty boxes: no due date, no owner restriction, the first number 0.
    f.txtFaellDat.Text.clear();
    f.txtRechNr.Text.clear();
    f.strWBIN.clear();
    f.txtWirtschaftsjahr.Text = u"irgendwann"_qs; // no year: the run goes on without one
    const RunInputs empty = readRunInputs(f);
    EXPECT_TRUE(empty.dueDate.isNull());
    EXPECT_EQ(empty.firstInvoiceNumber, 0);
    EXPECT_FALSE(empty.owners);
    EXPECT_FALSE(empty.firstBusinessYear);
    EXPECT_FALSE(empty.businessYear);
}

} // namespace
