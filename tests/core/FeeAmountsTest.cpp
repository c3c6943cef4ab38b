// The bill in whole cents: one commercial rounding per printed fee, VAT once per rate from
// the rate's total, whole-euro rounding before VAT, the business year's months for pro rata.
#include "app/RunInputs.h"
#include "core/FeeAmounts.h"

#include "app/FrmDTA.h"
#include "base/Clock.h"
#include "core/BusinessYear.h"
#include "fees/FeeCalculation.h"
#include "support/FakeUi.h"

#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

TEST(FeeAmounts, VatOfANetAmountIsRoundedCommercially)
{
    const struct {
        qint64 net;
        double rate;
        qint64 vat;
    } cases[] = {
        {103745, 19, 19712}, // 197,1155 → 197,12
        {215, 19, 41},       // 0,4085
        {100, 7, 7},         // two fees of 0,50 at 7 %: 0,07, not twice 0,035 → 0,08
        {50, 7, 4},          // 0,035: a half, away from zero
        {-50, 7, -4},
        {100, 5.5, 6},       // 0,055
        {1999, 0, 0},
        {99999999999, 19, 19000000000}, // 999.999.999,99 at 19 %
        // Products beyond 64 bits: the amount times the rate in ten-thousandths of a percent.
        {-99999999999, 19, -19000000000},
        {99999999999, 123.4567, 123456699999},
        {12345678901, -100, -12345678901},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fees::vatOf(Money(c.net), c.rate), Money(c.vat)) << c.net << " at " << c.rate;
}

TEST(FeeAmounts, AGrossAmountSplitsIntoANetAndExactlyItsVat)
{
    const struct {
        qint64 gross;
        double rate;
        qint64 net, vat; // net + vat = gross, or a cent less where no net reaches it
    } cases[] = {
        {123456, 19, 103744, 19711}, // 1.234,56: no net makes it exactly
        {1490, 19, 1252, 238},
        {100, 7, 93, 7},
        {0, 19, 0, 0},
        {500, 0, 500, 0},
        {-1490, 19, -1252, -238},
        {99999999999, 19, 84033613444, 15966386554}, // the gross times the scale beyond 64 bits
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.gross) + " at " + std::to_string(c.rate));
        const fees::GrossSplit split = fees::splitGross(Money(c.gross), c.rate);
        EXPECT_EQ(split.net, Money(c.net));
        EXPECT_EQ(split.vat, Money(c.vat));
        EXPECT_EQ(fees::vatOf(split.net, c.rate), split.vat);
    }
    // Every gross: the VAT is the net's, never more than the gross holds, a cent apart at most.
    for (qint64 gross = 1; gross < 20000; gross += 7)
        for (const double rate : {19.0, 7.0, 5.5, 16.0}) {
            const fees::GrossSplit s = fees::splitGross(Money(gross), rate);
            ASSERT_EQ(fees::vatOf(s.net, rate), s.vat) << gross << " at " << rate;
            ASSERT_TRUE(s.net + s.vat == Money(gross) || s.net + s.vat == Money(gross - 1)) << gross << " at " << rate;
        }
}

TEST(FeeAmounts, BusinessYearsByTheirStartMonth)
{
    const struct {
        const char16_t *text;
        int startMonth;
        QDate start, end; // invalid: no business year
        const char16_t *name;
    } cases[] = {
        {u"2026", 1, {2026, 1, 1}, {2026, 12, 31}, u"2026"},
        {u"2026", 7, {2026, 7, 1}, {2027, 6, 30}, u"2026/2027"},
        {u"2026/2027", 7, {2026, 7, 1}, {2027, 6, 30}, u"2026/2027"},
        {u" 2026/27 ", 10, {2026, 10, 1}, {2027, 9, 30}, u"2026/2027"},
        {u"15.03.2026", 1, {2026, 1, 1}, {2026, 12, 31}, u"2026"},
        {u"2026/2027", 1, {}, {}, u""}, // two calendar years cannot begin in January
        {u"2026/2028", 7, {}, {}, u""},
        {u"Beitrag", 1, {}, {}, u""},
        {u"2026", 13, {}, {}, u""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString() + " from " + std::to_string(c.startMonth));
        const std::optional<BusinessYear> year = businessYearOf(QString::fromUtf16(c.text), c.startMonth);
        ASSERT_EQ(year.has_value(), c.start.isValid());
        if (!year)
            continue;
        EXPECT_EQ(year->start, c.start);
        EXPECT_EQ(year->end, c.end);
        EXPECT_EQ(year->name(), QString::fromUtf16(c.name));
    }
    EXPECT_EQ(billingTitle(u"2026"_qs, 1), u"Beitragsabrechnung für das Jahr 2026"_qs);
    EXPECT_EQ(billingTitle(u"2026/2027"_qs, 7),
              u"Beitragsabrechnung für das Wirtschaftsjahr 2026/2027 (01.07.2026 bis 30.06.2027)"_qs);
}

namespace {

class FeeAmountsCalc : public ::testing::Test {
protected:
    FakeUi ui;
    FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(9, 0))};
    FrmDTA form{AppContext{QString(), &ui, &clock, DbOptions(), nullptr}};
    SlotArray<bool> rounding{};

    void SetUp() override
    {
        for (int i = 0; i < 4; ++i)
            form.rbEinstellung[std::size_t(i)].Value = i == 0;
    }
    void tick(std::initializer_list<std::pair<int, const char16_t *>> fees)
    {
        for (const auto &[k, rate] : fees) {
            form.chkBeitrag[std::size_t(k)].Value = 1;
            form.txtMwst[std::size_t(k)].Text = QString::fromUtf16(rate);
        }
    }
    Buchung run(Buchung b)
    {
        Buchungen records{b};
        CalcBeitraege(readRunInputs(form), records, rounding);
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? Buchung() : records.front();
    }
};

} // namespace

TEST_F(FeeAmountsCalc, EachLineRoundedOnceAndItsVatFromThePrintedAmount)
{
    // 0,2860 ha × 7,50 € = 2,145: the line, the subtotal and the VAT text all say 2,15.
    tick({{0, u"19"}});
    form.bBeitraegeNetto = true;
    Buchung b;
    b.Hektar = 0.286;
    b.Ha[0] = 10;
    b.Flachenbertrag[0] = 7.5;
    const Buchung out = run(b);
    EXPECT_EQ(out.BetragCent[0].cents(), 215);
    EXPECT_EQ(out.SteuerCent[0].cents(), 41);
    EXPECT_EQ(out.SummeCent.cents(), 256);
    EXPECT_EQ(out.SteuerText[0], u"19% MwSt 0,41€ auf 2,15€"_qs);
}

TEST_F(FeeAmountsCalc, VatPerRateOnceFromTheRatesTotal)
{
    const struct {
        const char *name;
        bool netto;
        std::array<double, 3> fees; // slots 0 (7 %), 1 (7 %), 2 (no VAT)
        qint64 vat, due;
        qint64 shareFirst; // the first 7 % fee's share of the VAT
    } cases[] = {
        {"two halves on top", true, {0.50, 0.50, 3.00}, 7, 407, 4},
        {"two halves included", false, {0.50, 0.50, 3.00}, 7, 400, 3},
        {"one fee", true, {12.00, 0, 1.00}, 84, 1384, 84},
        // 10,14 × 7 % is 0,71, the fees' own VAT 0,70 and 0,00: the larger fee takes the
        // cent, the small one keeps its own VAT of nothing.
        {"the rounding cent on the larger fee", true, {10.07, 0.07, 0}, 71, 1085, 71},
        // 0,53 included is 0,49 + 0,03 VAT: the cent kept apart is the larger fee's, the
        // small fee keeps its net of 0,01.
        {"a cent beside a larger fee, included", false, {0.52, 0.01, 0}, 3, 53, 3},
    };
    tick({{0, u"7"}, {1, u"7"}, {2, u""}});
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        form.bBeitraegeNetto = c.netto;
        Buchung b;
        for (std::size_t k = 0; k < 3; ++k)
            b.Fixbeitrag[k] = c.fees[k];
        const Buchung out = run(b);
        ASSERT_EQ(out.MwstSaetze.size(), 1u);
        EXPECT_EQ(out.MwstSaetze[0].mwstCent.cents(), c.vat);
        EXPECT_EQ(out.MwstSummeCent.cents(), c.vat);
        EXPECT_EQ(out.SummeCent.cents(), c.due);
        EXPECT_EQ(out.SteuerCent[0].cents(), c.shareFirst);
        EXPECT_EQ(out.SteuerCent[0].cents() + out.SteuerCent[1].cents(), c.vat); // the shares add up
        EXPECT_EQ(out.BruttoCent[0].cents() + out.BruttoCent[1].cents() + out.BruttoCent[2].cents(), c.due);
        EXPECT_TRUE(out.SteuerText[1].isEmpty()); // one text per rate
        if (c.fees[1] > 0) {
            EXPECT_GT(out.NettoCent[1].cents(), 0); // never a line of net 0,00
        }
    }
}

TEST_F(FeeAmountsCalc, AFeeOfNothingCarriesNoVatAndAZeroRateIsARateOfItsOwn)
{
    tick({{0, u"19"}, {1, u"19"}, {2, u"0"}});
    form.bBeitraegeNetto = true;
    Buchung b;
    b.Fixbeitrag = {20, 0, 5, 0, 0, 0};
    const Buchung out = run(b);
    ASSERT_EQ(out.MwstSaetze.size(), 2u);
    EXPECT_EQ(out.MwstSaetze[0].nettoCent.cents(), 2000);
    EXPECT_EQ(out.MwstSaetze[1].satz, 0);
    EXPECT_EQ(out.MwstSaetze[1].mwstCent.cents(), 0);
    EXPECT_EQ(out.SummeCent.cents(), 2000 + 380 + 500);
}

TEST_F(FeeAmountsCalc, WholeEurosBeforeVatAndProRataInTheBusinessYear)
{
    // Formula: 30 € up to 5 ha, 10 € per started 2 ha, pro rata and whole euros.
    for (int i = 0; i < 4; ++i)
        form.rbEinstellung[std::size_t(i)].Value = i == 2;
    form.txtPreisMindestbetrag.Text = u"30,00"_qs;
    form.txtHaMindestbetrag.Text = u"5,0000"_qs;
    form.txtHaZuschlag.Text = u"2,0000"_qs;
    form.txtPreisZuschlag.Text = u"10,00"_qs;
    form.txtHoechstbeitrag.Text = u"100,00"_qs;
    form.chkAnteiligeBerechnung.Value = 1;
    form.chkKomma.Value = 1;
    form.bBeitraegeNetto = true;
    tick({{0, u"19"}});
    const struct {
        const char16_t *year;
        int startMonth;
        QDate joined;
        qint64 fee;
    } cases[] = {
        {u"2026", 1, {2026, 3, 15}, 2300},      // 9 of 12 months left: 22,50 → 23
        {u"2026/2027", 7, {2026, 9, 1}, 2300},  // 9 months left (October to June)
        {u"2026/2027", 7, {2027, 5, 2}, 300},   // 1 month left: 2,50 → 3
        {u"2026/2027", 7, {2026, 3, 1}, 3000},  // joined before the year: the whole fee
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.year).toStdString() + " joined " + c.joined.toString().toStdString());
        form.txtWirtschaftsjahr.Text = QString::fromUtf16(c.year);
        form.lWirtschaftsjahrBeginn = c.startMonth;
        Buchung b;
        b.Hektar = 4;
        b.Beitrittsdatum = c.joined;
        const Buchung out = run(b);
        EXPECT_EQ(out.BetragCent[0].cents(), c.fee);
        // The VAT is on the rounded fee: 23,00 × 19 % = 4,37, not 22,50 × 19 % = 4,28.
        EXPECT_EQ(out.SummeCent, Money(c.fee) + fees::vatOf(Money(c.fee), 19));
    }
}
