#include "app/RunInputs.h"
#include "fees/FeeCalculation.h"

#include "app/FrmDTA.h"
#include "base/Clock.h"
#include "core/RunError.h"
#include "support/FakeUi.h"

#include <functional>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

// Expected values below are worked out by hand from the fee rules; VAT is 19 % in slot 0
// unless a case says otherwise, "on top" adds Round(19 × Betrag / 100, 2) to the total,
// "included" leaves the total at the fee.

namespace {

class FeeCalcTest : public ::testing::Test {
protected:
    FakeUi ui;
    FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(9, 0))};
    FrmDTA form{AppContext{QString(), &ui, &clock, DbOptions(), nullptr}};
    SlotArray<bool> rounding{};

    void SetUp() override
    {
        form.chkBeitrag[0].Value = 1;
        selectMode(0);
    }

    void selectMode(int index)
    {
        for (int i = 0; i < 4; ++i)
            form.rbEinstellung[i].Value = i == index;
    }

    Buchungen run(Buchungen records)
    {
        CalcBeitraege(readRunInputs(form), records, rounding);
        return records;
    }

    // An owner with own parameters in every slot: threshold G, price P1 up to it, P2 above,
    // base amount B.
    static Buchung owner(double hektar, double G = 10, double P1 = 3, double P2 = 2, double B = 5)
    {
        Buchung b;
        b.Hektar = hektar;
        for (int k = 0; k < 5; ++k) {
            b.Ha[k] = G;
            b.Flachenbertrag[k] = P1;
            b.Weitere[k] = P2;
            b.Fixbeitrag[k] = B;
        }
        return b;
    }

    // Computes one owner with 19 % VAT in slot 0, on top and included; checks Betrag(0) and
    // the total in cents (0 cents: the owner must be dropped). Returns the on-top result.
    Buchung expectBoth(const Buchung &input, double betrag, double centsOnTop, double centsIncluded)
    {
        form.txtMwst[0].Text = u"19"_qs;
        Buchung onTop;
        for (bool netto : {true, false}) {
            SCOPED_TRACE(netto ? "VAT on top" : "VAT included");
            form.bBeitraegeNetto = netto;
            const Buchungen out = run({input});
            const double cents = netto ? centsOnTop : centsIncluded;
            if (cents == 0) {
                EXPECT_TRUE(out.empty());
                continue;
            }
            if (out.size() != 1) {
                ADD_FAILURE() << "owner dropped";
                continue;
            }
            EXPECT_NEAR(out[0].Betrag[0], betrag, 1e-9);
            EXPECT_EQ(out[0].SummeCent.cents(), cents);
            if (netto)
                onTop = out[0];
        }
        return onTop;
    }
};

class FeeCalcRounding : public FeeCalcTest {};
class FeeCalcClasses : public FeeCalcTest {
protected:
    // Limits 5, 10, …, 50 ha with 20, 30, …, 110 €; 7,50 € for 0 ha.
    void SetUp() override
    {
        FeeCalcTest::SetUp();
        selectMode(1);
        for (int j = 0; j < 10; ++j) {
            form.txtStaffel[2 * j].Text = QString::number(5 * (j + 1)) + u",0000"_qs;
            form.txtStaffel[2 * j + 1].Text = QString::number(20 + 10 * j) + u",00"_qs;
        }
        form.txtStaffel[21].Text = u"7,50"_qs;
    }
};
class FeeCalcFormula : public FeeCalcTest {
protected:
    // 30 € up to 5 ha, 10 € for each started 2 ha above, at most 100 €.
    void SetUp() override
    {
        FeeCalcTest::SetUp();
        selectMode(2);
        form.txtPreisMindestbetrag.Text = u"30,00"_qs;
        form.txtHaMindestbetrag.Text = u"5,0000"_qs;
        form.txtHaZuschlag.Text = u"2,0000"_qs;
        form.txtPreisZuschlag.Text = u"10,00"_qs;
        form.txtHoechstbeitrag.Text = u"100,00"_qs;
        form.txtWirtschaftsjahr.Text = u"2026"_qs;
    }
};
class FeeCalcScale : public FeeCalcTest {
protected:
    // 10 € base; 2 €/ha up to 5 ha, 1,50 up to 10, 1 up to 20, then 0,50 per ha up to 90.
    void SetUp() override
    {
        FeeCalcTest::SetUp();
        selectMode(3);
        const QStringList s = {u"5,0000"_qs, u"2,00"_qs, u"10,0000"_qs, u"1,50"_qs, u"20,0000"_qs, u"1,00"_qs};
        for (int i = 0; i < s.size(); ++i)
            form.txtStaffel[i].Text = s[i];
        for (int j = 3; j < 10; ++j) {
            form.txtStaffel[2 * j].Text = QString::number(10 * j) + u",0000"_qs;
            form.txtStaffel[2 * j + 1].Text = u"0,50"_qs;
        }
        form.txtStaffel[21].Text = u"10,00"_qs;
    }
};
class FeeCalcOwn : public FeeCalcTest {};
class FeeCalcModes : public FeeCalcTest {};
class FeeCalcVat : public FeeCalcTest {};
class FeeCalcRecordEnd : public FeeCalcTest {};
class FeeCalcNumbering : public FeeCalcTest {};

} // namespace

// ---- Hectare rounding (own parameters G 10, P1 3, B 5: amount = 3h + 5) ----

TEST_F(FeeCalcRounding, FractionUpTo049RoundsDownFromTheDecimalValue)
{
    struct Case { double ha; bool flag; double haBerechnet; double betrag, onTop, included; };
    const Case cases[] = {
        {0.49, true, 0, 5, 595, 500},      // 0 ha: B alone; VAT 0,95
        {0.5, true, 1, 8, 952, 800},       // 3 + 5; VAT 1,52
        {5.49, true, 5, 20, 2380, 2000},   // 5.49 - 5 is 0.49 as a decimal: down
        {5.5, true, 6, 23, 2737, 2300},    // VAT 4,37
        {7, true, 7, 26, 3094, 2600},      // whole: unchanged; VAT 4,94
        {5.49, false, 5.49, 21.47, 2555, 2147}, // 16.47 + 5; VAT 4,0793 -> 4,08
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ha);
        rounding[0] = c.flag;
        const Buchung b = expectBoth(owner(c.ha), c.betrag, c.onTop, c.included);
        EXPECT_NEAR(b.HaBerechnet[0], c.haBerechnet, 1e-12);
    }
}

TEST_F(FeeCalcRounding, FlagActsOnItsOwnSlotOnly)
{
    form.chkBeitrag[1].Value = 1;
    rounding[1] = true;
    const Buchungen out = run({owner(5.49)});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_DOUBLE_EQ(out[0].HaBerechnet[0], 5.49);
    EXPECT_DOUBLE_EQ(out[0].HaBerechnet[1], 5);
}

// ---- Fixed amounts by hectare class ----

TEST_F(FeeCalcClasses, FirstClassThatHoldsTheAreaGivesTheAmount)
{
    struct Case { double ha; double betrag, onTop, included; };
    const Case cases[] = {
        {0, 7.5, 893, 750},      // S(21); VAT 1,425 -> 1,43 (commercially)
        {5, 20, 2380, 2000},     // 0 <= 5 <= 5
        {5.01, 30, 3570, 3000},  // 5 < 5,01 <= 10
        {12, 40, 4760, 4000},    // 10 < 12 <= 15
        {50, 110, 13090, 11000}, // last class: 45 < 50 <= 50
        {50.5, 110, 13090, 11000}, // above the last limit: S(19)
        {-1, 0, 0, 0},           // no class holds: 0, dropped
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ha);
        Buchung input = owner(c.ha);
        input.Mindestbeitrag[0] = 1000; // the form's modes ignore the owner's minimum
        const Buchung b = expectBoth(input, c.betrag, c.onTop, c.included);
        if (c.onTop != 0) {
            EXPECT_DOUBLE_EQ(b.HaBerechnet[0], c.ha);
        }
    }
}

// Plot areas add up in binary: 0,1 + 0,2 ha is 0,30000000000000004, still the class up to 0,3000.
TEST_F(FeeCalcClasses, AreasCompareWithTheLimitsAsDecimals)
{
    form.txtStaffel[0].Text = u"0,3000"_qs;
    form.txtStaffel[2].Text = u"0,7000"_qs;
    const std::pair<double, double> cases[] = {{0.1 + 0.2, 2000}, {0.3001, 3000}, {0.1 + 0.2 + 0.4, 3000}, {0.7001, 4000}};
    for (const auto &[ha, cents] : cases) {
        SCOPED_TRACE(ha);
        EXPECT_EQ(run({owner(ha)}).at(0).SummeCent.cents(), cents);
    }
}

TEST_F(FeeCalcClasses, TextsAreReadAtEachCallAsTheBoxReadsThemAndOthersStopTheRun)
{
    EXPECT_EQ(run({owner(0)}).at(0).SummeCent.cents(), 750);
    form.txtStaffel[21].Text = u"8,25"_qs;
    EXPECT_EQ(run({owner(0)}).at(0).SummeCent.cents(), 825);
    form.txtStaffel[21].Text = u"1.008,25"_qs;
    EXPECT_EQ(run({owner(0)}).at(0).SummeCent.cents(), 100825);
    // Neither 0 nor 15 nor 1.5: a text the box would refuse is no amount to bill from.
    for (const QString &text : {u"acht"_qs, u"1.5"_qs, u"-3"_qs, u"8,25 €"_qs}) {
        form.txtStaffel[21].Text = text;
        try {
            run({owner(0)});
            ADD_FAILURE() << "billed from " << text.toStdString();
        } catch (const RunError &e) {
            EXPECT_EQ(e.kind(), RunError::Kind::Input);
            EXPECT_TRUE(e.message().contains(u"„"_qs + text + u"“"_qs)) << e.message().toStdString();
        }
    }
    // The minimum fees and the VAT rates are read the same way.
    form.txtStaffel[21].Text = u"8,25"_qs;
    form.txtMwst[0].Text = u"19.0"_qs;
    EXPECT_THROW(run({owner(0)}), RunError);
}

// ---- Minimum amount plus surcharge ----

TEST_F(FeeCalcFormula, EachStartedBlockAddsOneSurchargeUpToTheCap)
{
    struct Case { double ha; double betrag, onTop, included; };
    const Case cases[] = {
        {0, 30, 3570, 3000},   // up to 5 ha: the minimum amount; VAT 5,70
        {5, 30, 3570, 3000},
        {6, 40, 4760, 4000},   // rest 1: one block
        {7.5, 50, 5950, 5000}, // rest 2,5: two blocks
        {9, 50, 5950, 5000},   // rest 4: exactly two blocks
        {40, 100, 11900, 10000}, // 30 + 18 blocks = 210, capped at 100
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ha);
        Buchung input = owner(c.ha);
        input.Mindestbeitrag[0] = 1000;
        const Buchung b = expectBoth(input, c.betrag, c.onTop, c.included);
        EXPECT_DOUBLE_EQ(b.HaBerechnet[0], c.ha);
    }
}

// Steps that are no binary fraction: 1 - 5 × 0,2 leaves a binary crumb that is no started block.
TEST_F(FeeCalcFormula, BlocksAreCountedOnTheDecimalValues)
{
    form.txtPreisMindestbetrag.Text = u"0,00"_qs;
    form.txtPreisZuschlag.Text = u"1,00"_qs;
    form.txtHoechstbeitrag.Text = u"100000000,00"_qs;
    struct Case { const char16_t *minimum, *step; double ha; double blocks; };
    const Case cases[] = {
        {u"5,0000", u"0,2000", 6, 5},
        {u"5,0000", u"0,2000", 7, 10},
        {u"5,0000", u"0,2000", 6.01, 6},     // a started block
        {u"5,0000", u"0,2000", 0.1 + 5.2, 2}, // 5,3 as the plots add up in binary
        {u"1,0000", u"0,1000", 2, 10},
        {u"0,0000", u"0,2000", 1, 5},
        {u"0,0000", u"0,2000", 1.01, 6},
        {u"0,0000", u"0,0001", 1000, 10000000}, // as many blocks as a tiny step gives
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.step).toStdString() + " " + std::to_string(c.ha));
        form.txtHaMindestbetrag.Text = QString::fromUtf16(c.minimum);
        form.txtHaZuschlag.Text = QString::fromUtf16(c.step);
        const Buchungen out = run({owner(c.ha)});
        ASSERT_EQ(out.size(), 1u);
        EXPECT_DOUBLE_EQ(out[0].Betrag[0], c.blocks);
    }
}

TEST_F(FeeCalcFormula, ProRataIsTheShareOfTheMonthsLeftInTheBusinessYear)
{
    form.chkAnteiligeBerechnung.Value = 1;
    form.txtPreisMindestbetrag.Text = u"120,00"_qs;
    form.txtHoechstbeitrag.Text = u"500,00"_qs;
    struct Case {
        const char16_t *year;
        int tick;
        QDate joined;
        const char16_t *price, *cap;
        double betrag, onTop, included;
    };
    const Case cases[] = {
        {u"2026", 1, {2026, 3, 1}, u"120,00", u"500,00", 90, 10710, 9000},     // 9/12; VAT 17,10
        {u"2026", 1, {2026, 3, 15}, u"25,00", u"500,00", 18.75, 2231, 1875},   // VAT 3,5625 -> 3,56
        {u"2026", 1, {2026, 1, 31}, u"40,00", u"500,00", 36.67, 4364, 3667},   // 36,666…; VAT 6,97
        {u"2026", 1, {2026, 12, 1}, u"120,00", u"500,00", 0, 0, 0},            // nothing left: dropped
        {u"01.01.2026", 1, {2026, 3, 1}, u"120,00", u"500,00", 90, 10710, 9000}, // a date names its year
        {u"2026", 1, {2025, 3, 15}, u"120,00", u"500,00", 120, 14280, 12000},  // joined another year
        {u"2026", 0, {2026, 3, 15}, u"120,00", u"500,00", 120, 14280, 12000},  // not switched on
        {u"kein Jahr", 1, {2026, 3, 15}, u"120,00", u"500,00", 120, 14280, 12000},
        {u"2026", 1, {}, u"120,00", u"500,00", 120, 14280, 12000},             // no joining date
        {u"2026", 1, {2026, 3, 15}, u"120,00", u"100,00", 75, 8925, 7500},     // capped first: 100 × 9/12
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.year).toStdString() + " " + c.joined.toString().toStdString());
        form.txtWirtschaftsjahr.Text = QString::fromUtf16(c.year);
        form.chkAnteiligeBerechnung.Value = c.tick;
        form.txtPreisMindestbetrag.Text = QString::fromUtf16(c.price);
        form.txtHoechstbeitrag.Text = QString::fromUtf16(c.cap);
        Buchung input = owner(1);
        input.Beitrittsdatum = c.joined;
        expectBoth(input, c.betrag, c.onTop, c.included);
    }
}

TEST_F(FeeCalcFormula, ProRataDropOfDecemberJoinersUsesNoInvoiceNumber)
{
    form.chkAnteiligeBerechnung.Value = 1;
    Buchungen records = {owner(1), owner(1), owner(1)};
    records[0].Beitrittsdatum = QDate(2026, 12, 3);
    records[1].Beitrittsdatum = QDate(2026, 6, 30);
    records[2].Beitrittsdatum = QDate(2020, 12, 3);
    form.txtRechNr.Text = u"500"_qs;
    const Buchungen out = run(records);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].SummeCent.cents(), 1500); // 30 × 6/12
    EXPECT_EQ(out[0].RechNr, u"500"_qs);
    EXPECT_EQ(out[1].SummeCent.cents(), 3000);
    EXPECT_EQ(out[1].RechNr, u"501"_qs);
}

// The fee itself is rounded to whole euros (commercially), and VAT is put on that fee.
TEST_F(FeeCalcFormula, WholeEurosRoundTheFeeBeforeItsVat)
{
    form.chkKomma.Value = 1;
    struct Case { const char16_t *price; double betrag, onTop, included; };
    const Case cases[] = {
        {u"12,50", 13, 1547, 1300},  // 13 + VAT 2,47
        {u"13,50", 14, 1666, 1400},  // 14 + VAT 2,66
        {u"12,49", 12, 1428, 1200},  // 12 + VAT 2,28
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.price).toStdString());
        form.txtPreisMindestbetrag.Text = QString::fromUtf16(c.price);
        expectBoth(owner(1), c.betrag, c.onTop, c.included);
    }
}

TEST_F(FeeCalcFormula, SurchargeStepOfZeroIsRefusedBeforeAnythingChanges)
{
    for (const char16_t *step : {u"0,0000", u"-2,0000", u""}) {
        SCOPED_TRACE(QString::fromUtf16(step).toStdString());
        form.txtHaZuschlag.Text = QString::fromUtf16(step);
        Buchungen records = {owner(3), owner(6), owner(0)};
        try {
            CalcBeitraege(readRunInputs(form), records, rounding);
            ADD_FAILURE() << "no refusal";
        } catch (const RunError &e) {
            // A negative step is no text the box takes: refused as such, naming it.
            const QString named = *step == u'-' ? u"„-2,0000“"_qs : u"Zuschlag alle"_qs;
            EXPECT_TRUE(e.message().contains(named)) << e.message().toStdString();
        }
        ASSERT_EQ(records.size(), 3u);
        for (const Buchung &b : records) {
            EXPECT_EQ(b.SummeCent.cents(), 0);
            EXPECT_EQ(b.Betrag[0], 0);
            EXPECT_EQ(b.HaBerechnet[0], 0);
            EXPECT_TRUE(b.RechNr.isEmpty());
            EXPECT_TRUE(b.Verwendungszweck.isEmpty());
        }
    }
}

TEST_F(FeeCalcFormula, SurchargeStepOfZeroIsFineWhenNoOwnerNeedsIt)
{
    form.txtHaZuschlag.Text = u"0,0000"_qs;
    rounding[0] = true; // 5,4 ha count as 5
    const Buchungen out = run({owner(3), owner(5.4)});
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].SummeCent.cents(), 3000);

    // Slot 0 not ticked, or another mode: the formula is not used at all.
    form.chkBeitrag[0].Value = 0;
    form.chkBeitrag[1].Value = 1;
    EXPECT_NO_THROW(run({owner(8)}));
    form.chkBeitrag[0].Value = 1;
    selectMode(0);
    EXPECT_NO_THROW(run({owner(8)}));
}

// ---- Price per hectare by scale ----

TEST_F(FeeCalcScale, StepsBelowAreChargedInFullTheLastOneOnTheChosenHectares)
{
    struct Case { double ha; bool flag; int aufrunden; double haBerechnet, weitere, betrag, onTop, included; };
    const Case cases[] = {
        // 10 + 5×2 + 5×1,5 + (10,2 − 10)×1 = 27,70; VAT 5,263 -> 5,26
        {10.2, false, 0, 10.2, 1, 27.7, 3296, 2770},
        // rounded up to 11 ha, judged and computed on them: 28,50; VAT 5,415 -> 5,42
        {10.2, false, 1, 11, 1, 28.5, 3392, 2850},
        // rounding flag: 10 ha, the step up to 10 holds it: 10 + 10 + 7,5; VAT 5,225 -> 5,23
        {10.2, true, 0, 10, 1.5, 27.5, 3273, 2750},
        {10.6, true, 0, 11, 1, 28.5, 3392, 2850},
        {3, false, 0, 3, 2, 16, 1904, 1600},   // 10 + 3×2
        {5, false, 0, 5, 2, 20, 2380, 2000},   // 10 + 5×2, limit not passed
        {0, false, 0, 0, 2, 10, 1190, 1000},   // base amount only
        // beyond 90 ha nothing more: 10 + 10 + 7,5 + 10 + 7×5 = 72,50; VAT 13,775 -> 13,78
        {100, false, 0, 100, 0.5, 72.5, 8628, 7250},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ha);
        rounding[0] = c.flag;
        form.chkRundeHAauf.Value = c.aufrunden;
        Buchung input = owner(c.ha);
        input.Mindestbeitrag[0] = 1000;
        const Buchung b = expectBoth(input, c.betrag, c.onTop, c.included);
        EXPECT_DOUBLE_EQ(b.HaBerechnet[0], c.haBerechnet);
        EXPECT_DOUBLE_EQ(b.Weitere[0], c.weitere);
        EXPECT_DOUBLE_EQ(b.Fixbeitrag[0], 10);
    }
}

// Limits with fractions: the step that holds the area is the one computed, never the one
// above it with a part taken off, so no area pays less than the base or less than a
// smaller one.
TEST_F(FeeCalcScale, FractionalLimitsJudgeAndComputeEachStepOnOneHectareFigure)
{
    form.txtMwst[0].Text.clear();
    const QStringList s = {u"1,0000"_qs, u"10,00"_qs, u"2,5000"_qs, u"20,00"_qs, u"5,0000"_qs, u"5,00"_qs,
                           u"10,0000"_qs, u"1,00"_qs};
    for (int i = 0; i < 21; ++i)
        form.txtStaffel[std::size_t(i)].Text = i < s.size() ? s[i] : QString();
    form.txtStaffel[21].Text = u"3,00"_qs;
    // 3 + 1×10 + 1,2×20
    Buchungen out = run({owner(2.2)});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].SummeCent.cents(), 3700);
    EXPECT_DOUBLE_EQ(out[0].HaBerechnet[0], 2.2);
    EXPECT_DOUBLE_EQ(out[0].Weitere[0], 20);
    // Rounded up, 3 ha are billed and printed: 3 + 10 + 30 + 0,5×5
    form.chkRundeHAauf.Value = 1;
    out = run({owner(2.2)});
    EXPECT_EQ(out.at(0).SummeCent.cents(), 4550);
    EXPECT_DOUBLE_EQ(out.at(0).HaBerechnet[0], 3);

    // A first limit below one hectare and a tiny area: the base and a little more.
    form.chkRundeHAauf.Value = 0;
    form.txtStaffel[0].Text = u"0,5000"_qs;
    form.txtStaffel[21].Text = u"9,99"_qs;
    EXPECT_EQ(run({owner(0.0057)}).at(0).SummeCent.cents(), 1005); // 9,99 + 0,057

    // Over a sweep of areas, with and without rounding up: never below the base, never less
    // than a smaller area.
    for (const int up : {0, 1}) {
        SCOPED_TRACE(up);
        form.chkRundeHAauf.Value = up;
        qint64 before = 0;
        for (int tenThousandths = 0; tenThousandths <= 130000; tenThousandths += 137) {
            const Buchungen one = run({owner(tenThousandths / 10000.0)});
            ASSERT_EQ(one.size(), 1u);
            EXPECT_GE(one[0].SummeCent.cents(), 999) << tenThousandths;
            EXPECT_GE(one[0].SummeCent.cents(), before) << tenThousandths;
            before = one[0].SummeCent.cents();
        }
    }
}

// ---- Owner's own parameters (G 10, P1 3, P2 2, B 5 unless given) ----

TEST_F(FeeCalcOwn, ThresholdStartedHectaresAndMinimum)
{
    struct Case { double ha; double G; bool started; double minimum; double betrag, onTop, included; };
    const Case cases[] = {
        {0, 10, false, 0, 5, 595, 500},          // B
        {4, 10, false, 0, 17, 2023, 1700},       // 4×3 + 5; VAT 3,23
        {10, 10, false, 0, 35, 4165, 3500},      // 10×3 + 5
        {12, 10, false, 0, 39, 4641, 3900},      // 35 + 2×2; VAT 7,41
        {10.2, 10, false, 0, 35.4, 4213, 3540},  // 35 + 0,2×2; VAT 6,726 -> 6,73
        {10.2, 10, true, 0, 37, 4403, 3700},     // started: 1 whole ha above; VAT 7,03
        {12, 10, true, 0, 39, 4641, 3900},       // whole: 2 ha above
        {10, 10, true, 0, 35, 4165, 3500},
        {10.0001, 10, true, 0, 37, 4403, 3700},  // 0,0001 + 0,9999 is one whole ha
        {12, 10.5, true, 0, 40, 4760, 4000},     // Int(11,4999)×3 + 5 + Int(1,5)×2
        {0.7 - 0.4, 0.3, true, 0, 8, 952, 800},  // 0,3 ha as a decimal reach G: Int(1,2999)×3 + 5
        {1, 10, false, 15, 15, 1785, 1500},      // 8 is below the minimum 15
        {4, 10, false, 15, 17, 2023, 1700},      // 17 is above it
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ha);
        Buchung input = owner(c.ha, c.G);
        input.Angefangene[0] = c.started;
        input.Mindestbeitrag[0] = c.minimum;
        const Buchung b = expectBoth(input, c.betrag, c.onTop, c.included);
        EXPECT_DOUBLE_EQ(b.HaBerechnet[0], c.ha);
    }
}

TEST_F(FeeCalcOwn, FeeIsRoundedOnceToTheCentsItsLinePrints)
{
    // 1 ha × 0,333: the fee is 0,33 wherever it is named; VAT on top 0,0627 -> 0,06.
    const Buchung b = expectBoth(owner(1, 10, 0.333, 0, 0), 0.33, 39, 33);
    EXPECT_EQ(b.SteuerText[0], u"19% MwSt 0,06€ auf 0,33€"_qs);
    // 23,8 € is 2380.0000000000005 cents before the rounding.
    form.txtMwst[0].Text.clear();
    EXPECT_EQ(run({owner(0, 10, 3, 2, 23.8)}).at(0).SummeCent.cents(), 2380);
}

// ---- Which slot uses which mode ----

TEST_F(FeeCalcModes, FormModesApplyToSlotZeroOnlyAndOnlyTickedSlotsCount)
{
    selectMode(1); // classes: every area up to 5 ha costs 20
    form.txtStaffel[0].Text = u"5,0000"_qs;
    form.txtStaffel[1].Text = u"20,00"_qs;
    form.chkBeitrag[2].Value = 1;
    Buchung input = owner(2); // own parameters: 2×3 + 5 = 11
    input.Ha[2] = 1;          // slot 2: 1×3 + 5 + 1×2 = 10
    Buchungen out = run({input});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Betrag[0], 20);
    EXPECT_EQ(out[0].Betrag[1], 0);
    EXPECT_EQ(out[0].HaBerechnet[1], 0);
    EXPECT_EQ(out[0].Betrag[2], 10);
    EXPECT_EQ(out[0].SummeCent.cents(), 3000);

    // Without a form mode slot 0 uses the owner's parameters too.
    for (int i = 0; i < 4; ++i)
        form.rbEinstellung[i].Value = false;
    out = run({input});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Betrag[0], 11);
    EXPECT_EQ(out[0].SummeCent.cents(), 2100);
}

// ---- VAT ----

TEST_F(FeeCalcVat, TextsOnTopAndIncluded)
{
    struct Case {
        const char16_t *rate;
        double steuerOnTop; const char16_t *textOnTop; double centsOnTop;
        double steuerIncluded; const char16_t *textIncluded; double centsIncluded;
    };
    const Case cases[] = {
        // 20 × 19 / 100 = 3,8; 20 / 119 × 19 = 3,1933
        {u"19", 3.8, u"19% MwSt 3,80€ auf 20,00€", 2380, 3.19, u"19% MwSt 3,19€ aus 20,00€", 2000},
        // trimmed rate; 20 / 107 × 7 = 1,3084
        {u" 7 ", 1.4, u"7% MwSt 1,40€ auf 20,00€", 2140, 1.31, u"7% MwSt 1,31€ aus 20,00€", 2000},
        // 20 / 105,5 × 5,5 = 1,0427
        {u"5,5", 1.1, u"5,5% MwSt 1,10€ auf 20,00€", 2110, 1.04, u"5,5% MwSt 1,04€ aus 20,00€", 2000},
        {u"", 0, u"", 2000, 0, u"", 2000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.rate).toStdString());
        form.txtMwst[0].Text = QString::fromUtf16(c.rate);
        for (bool netto : {true, false}) {
            form.bBeitraegeNetto = netto;
            const Buchungen out = run({owner(0, 10, 3, 2, 20)});
            ASSERT_EQ(out.size(), 1u);
            EXPECT_DOUBLE_EQ(out[0].SteuerCent[0].euros(), netto ? c.steuerOnTop : c.steuerIncluded);
            EXPECT_EQ(out[0].SteuerText[0], QString::fromUtf16(netto ? c.textOnTop : c.textIncluded));
            EXPECT_EQ(out[0].SummeCent.cents(), netto ? c.centsOnTop : c.centsIncluded);
        }
    }
}

TEST_F(FeeCalcVat, AFeeOfNothingCarriesNoVat)
{
    form.chkBeitrag[1].Value = 1;
    form.txtMwst[0].Text = u"19"_qs;
    form.txtMwst[1].Text = u"19"_qs;
    for (bool netto : {true, false}) {
        SCOPED_TRACE(netto);
        form.bBeitraegeNetto = netto;
        // Slot 0 costs nothing and the total is still 0: no VAT there.
        Buchung zeroFirst = owner(0, 10, 3, 2, 0);
        zeroFirst.Fixbeitrag[1] = 10;
        Buchungen out = run({zeroFirst});
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].SteuerText[0], u""_qs);
        EXPECT_EQ(out[0].SteuerText[1],
                  netto ? u"19% MwSt 1,90€ auf 10,00€"_qs : u"19% MwSt 1,60€ aus 10,00€"_qs);
        EXPECT_EQ(out[0].SummeCent.cents(), netto ? 1190 : 1000);

        // Slot 1 costs nothing: no VAT line of 0 beside slot 0's.
        Buchung zeroSecond = owner(0, 10, 3, 2, 10);
        zeroSecond.Fixbeitrag[1] = 0;
        out = run({zeroSecond});
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].SteuerText[1], u""_qs);
        EXPECT_EQ(out[0].MwstSaetze.size(), 1u);
    }
}

// ---- Record end: cents and remittance line ----

TEST_F(FeeCalcRecordEnd, RemittanceLineIsAlways27Characters)
{
    struct Case { const char16_t *text; int vatSlots; const char16_t *line; };
    const Case cases[] = {
        {u"Mitgliedsbeitrag", 0, u"Mitgliedsbeitrag           "},
        {u"Beitrag der Forstbetriebsgemeinschaft 2026", 0, u"Beitrag der Forstbetriebsg "},
        {u"  Beitrag", 0, u"Beitrag                    "},
        {u"", 0, u"                           "},
        // the VAT text (25 characters) leaves room for 1 of the text
        {u"Beitrag der Forstbetriebsgemeinschaft 2026", 1, u"B 19% MwSt 3,80€ auf 20,00€"},
        // two fees of one rate: one VAT text of their total
        {u"Beitrag", 2, u"B 19% MwSt 7,60€ auf 40,00€"},
    };
    form.bBeitraegeNetto = true;
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        form.txtVerwendungszweck.Text = QString::fromUtf16(c.text);
        form.chkBeitrag[1].Value = c.vatSlots == 2 ? 1 : 0;
        form.txtMwst[0].Text = c.vatSlots > 0 ? u"19"_qs : QString();
        form.txtMwst[1].Text = u"19"_qs;
        const Buchungen out = run({owner(0, 10, 3, 2, 20)});
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].Verwendungszweck, QString::fromUtf16(c.line));
        EXPECT_EQ(out[0].Verwendungszweck.size(), 27);
    }

    // Two rates: the texts stand apart, and one that does not fit whole is left out
    // instead of being cut inside a figure.
    form.chkBeitrag[1].Value = 1;
    form.txtMwst[0].Text = u"7"_qs;
    form.txtMwst[1].Text = u"19"_qs;
    form.txtVerwendungszweck.Text = u"Beitrag"_qs;
    const Buchungen out = run({owner(0, 10, 3, 2, 0.5)});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].SteuerText[0], u"7% MwSt 0,04€ auf 0,50€"_qs);
    EXPECT_EQ(out[0].Verwendungszweck, u"Bei 7% MwSt 0,04€ auf 0,50€"_qs);
    // A first text longer than the line keeps its whole words.
    form.chkBeitrag[1].Value = 0;
    const Buchungen big = run({owner(0, 10, 3, 2, 20000)});
    ASSERT_EQ(big.size(), 1u);
    EXPECT_EQ(big[0].Verwendungszweck, u"Beitr 7% MwSt 1.400,00€ auf"_qs);
}

// ---- Compaction and numbering ----

TEST_F(FeeCalcNumbering, ZeroTotalsAreDroppedWithoutUsingANumber)
{
    struct Case { const char16_t *first; QStringList numbers; };
    // (A first number that is no whole number, "12,7" or "Nr. 5", is refused where the run
    // reads the form: RunInputs.)
    const Case cases[] = {
        {u"", {u"0"_qs, u"1"_qs, u"2"_qs}},
        {u"100", {u"100"_qs, u"101"_qs, u"102"_qs}},
        {u" 7 ", {u"7"_qs, u"8"_qs, u"9"_qs}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.first).toStdString());
        form.txtRechNr.Text = QString::fromUtf16(c.first);
        Buchungen records = {owner(0, 10, 3, 2, 10), owner(0, 10, 3, 2, 0), owner(0, 10, 3, 2, -4),
                             owner(0, 10, 3, 2, 0.001), owner(0, 10, 3, 2, 7)};
        for (int i = 0; i < int(records.size()); ++i)
            records[i].Name = QString::number(i);
        records[2].Mindestbeitrag[0] = -100; // else the minimum 0 would lift -4 to 0
        const Buchungen out = run(records);
        ASSERT_EQ(out.size(), 3u); // 0 and 0,001 € are dropped, -4 € stays
        const QStringList names = {u"0"_qs, u"2"_qs, u"4"_qs};
        const double cents[] = {1000, -400, 700};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(out[i].Name, names[i]);
            EXPECT_EQ(out[i].SummeCent.cents(), cents[i]);
            EXPECT_EQ(out[i].RechNr, c.numbers[i]);
        }
    }
    EXPECT_TRUE(run({owner(0, 10, 3, 2, 0), owner(0, 10, 3, 2, 0)}).empty());
    EXPECT_TRUE(run({}).empty());
}

TEST_F(FeeCalcNumbering, NumbersBeyondNineDigitsStopTheRunBeforeAnyIsGiven)
{
    // Three kept owners: the last number is the first plus two.
    const auto records = [this] {
        return Buchungen{owner(0, 10, 3, 2, 10), owner(0, 10, 3, 2, 0), owner(0, 10, 3, 2, 7), owner(0, 10, 3, 2, 5)};
    };
    form.txtRechNr.Text = u"999999997"_qs;
    const Buchungen out = run(records());
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[2].RechNr, u"999999999"_qs);

    for (const char16_t *first : {u"999999998", u"99999999999999999999"}) {
        SCOPED_TRACE(QString::fromUtf16(first).toStdString());
        form.txtRechNr.Text = QString::fromUtf16(first);
        Buchungen refused = records();
        try {
            CalcBeitraege(readRunInputs(form), refused, rounding);
            ADD_FAILURE() << "no refusal";
        } catch (const RunError &e) {
            EXPECT_EQ(e.kind(), RunError::Kind::Input);
            // Past the last number, or (a first number of twenty digits) as the run reads the box.
            EXPECT_TRUE(e.message().contains(u"999.999.999"_qs)) << e.message().toStdString();
            EXPECT_FALSE(e.message().contains(u"E+"_qs)) << e.message().toStdString();
        }
        for (const Buchung &b : refused)
            EXPECT_TRUE(b.RechNr.isEmpty());
    }
}

// The check before a run tells why an owner is not billed: each dropped owner comes back
// with the reason of his zero total, the kept ones do not.
TEST_F(FeeCalcTest, DroppedOwnersComeBackWithTheReasonOfTheirZeroTotal)
{
    struct Case {
        const char *name;
        int mode;
        std::function<void(FrmDTA &, Buchung &)> setUp;
        ZeroReason reason;
    };
    const Case cases[] = {
        {"class amount 0", 1,
         [](FrmDTA &f, Buchung &) {
             f.txtStaffel[0].Text = u"10,0000"_qs;
             f.txtStaffel[1].Text = u"0,00"_qs;
         },
         ZeroReason::ClassAmount},
        {"formula 0", 2, [](FrmDTA &f, Buchung &) { f.txtHaZuschlag.Text = u"1,0000"_qs; }, ZeroReason::Formula},
        {"joined in December, pro rata", 2,
         [](FrmDTA &f, Buchung &b) {
             f.txtPreisMindestbetrag.Text = u"30,00"_qs;
             f.txtHaMindestbetrag.Text = u"50,0000"_qs;
             f.txtHaZuschlag.Text = u"1,0000"_qs;
             f.txtHoechstbeitrag.Text = u"100,00"_qs;
             f.txtWirtschaftsjahr.Text = u"2026"_qs;
             f.chkAnteiligeBerechnung.Value = 1;
             b.Beitrittsdatum = QDate(2026, 12, 1);
         },
         ZeroReason::JoinedInLastMonth},
        {"scale 0", 3, [](FrmDTA &, Buchung &) {}, ZeroReason::Scale},
        {"own parameters 0", 0, [](FrmDTA &, Buchung &) {}, ZeroReason::OwnParameters},
        {"fees that cancel", 0,
         [](FrmDTA &f, Buchung &b) {
             f.chkBeitrag[1].Value = 1;
             b.Fixbeitrag[0] = 5;
             b.Fixbeitrag[1] = -5;
             b.Mindestbeitrag[1] = -10;
         },
         ZeroReason::Cancelled},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeUi caseUi;
        FrmDTA f{AppContext{QString(), &caseUi, &clock, DbOptions(), nullptr}};
        f.chkBeitrag[0].Value = 1;
        for (int i = 0; i < 4; ++i)
            f.rbEinstellung[i].Value = i == c.mode;
        Buchung zero = owner(7, 10, 0, 0, 0);
        zero.Id_Personal = 71;
        zero.Nummer = 1071;
        zero.Name = u"Müller"_qs;
        zero.Vorname = u"Jörg"_qs;
        c.setUp(f, zero);
        // An owner whose own fee 2 keeps him, whatever fee 1 gives.
        f.chkBeitrag[1].Value = 1;
        Buchung kept = owner(7, 10, 3, 2, 20);
        kept.Id_Personal = 72;
        Buchungen records = {kept, zero};
        std::vector<DroppedOwner> dropped;
        CalcBeitraege(readRunInputs(f), records, rounding, dropped);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].Id_Personal, 72);
        ASSERT_EQ(dropped.size(), 1u);
        EXPECT_EQ(dropped[0].idPersonal, 71);
        EXPECT_EQ(dropped[0].nummer, 1071);
        EXPECT_EQ(dropped[0].name, u"Müller"_qs);
        EXPECT_EQ(dropped[0].vorname, u"Jörg"_qs);
        EXPECT_EQ(dropped[0].reason, c.reason);
        EXPECT_FALSE(zeroReasonText(c.reason).isEmpty());
    }
    // Joining in the business year's last month: December for a calendar year, June for
    // one that begins in July.
    EXPECT_EQ(zeroReasonText(ZeroReason::JoinedInLastMonth), u"im Dezember eingetreten, anteilige Berechnung"_qs);
    EXPECT_EQ(zeroReasonText(ZeroReason::JoinedInLastMonth, 6), u"im Juni eingetreten, anteilige Berechnung"_qs);
}
