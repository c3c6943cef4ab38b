// Whole cents: the one commercial rounding in both signs, the German and the bank file's
// texts at the sizes a run reaches, the strict reading of German money text, and sums that
// stay exact where doubles drift.
#include "core/Money.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace qvl;

TEST(Money, EurosAndRatesRoundHalvesAwayFromZeroInBothSigns)
{
    EXPECT_EQ(Money::fromEuros(2.145).cents(), 215); // the decimal 2.145, not its binary neighbour
    EXPECT_EQ(Money::fromEuros(-2.145).cents(), -215);
    EXPECT_EQ(Money::fromEuros(0.005).cents(), 1);
    EXPECT_EQ(Money::fromEuros(-0.005).cents(), -1);
    EXPECT_EQ(Money::fromEuros(0.0049).cents(), 0);
    EXPECT_EQ(Money::fromEuros(std::nan("")).cents(), 0);
    EXPECT_EQ(Money::fromEuros(1e300).cents(), qint64(100'000'000'000'000'000)); // held at 10^15 euros
    EXPECT_EQ(Money::fromEuros(-std::numeric_limits<double>::infinity()).cents(),
              -qint64(100'000'000'000'000'000));

    const struct {
        qint64 cents;
        double rate;
        qint64 expected;
    } rates[] = {
        {50, 7, 4},      // 3,5 cents
        {-50, 7, -4},
        {250, 1, 3},     // 2,5 cents
        {-250, 1, -3},
        {249, 1, 2},     // 2,49 cents
        {-249, 1, -2},
        {100, 5.5, 6},   // 5,5 cents
        {1999, 0, 0},
        {10000, 123.4567, 12346},
        {99999999999, 19, 19000000000}, // 18.999.999.999,81 cents: the product beyond 64 bits
        {-99999999999, 19, -19000000000},
    };
    for (const auto &c : rates)
        EXPECT_EQ(Money(c.cents).timesPercent(c.rate).cents(), c.expected) << c.cents << " at " << c.rate;

    // A factor as a fraction: 1,00 € in thirds and the half cent in both directions.
    EXPECT_EQ(Money(100).scaled(1, 3).cents(), 33);
    EXPECT_EQ(Money(100).scaled(2, 3).cents(), 67);
    EXPECT_EQ(Money(1).scaled(1, 2).cents(), 1);
    EXPECT_EQ(Money(-1).scaled(1, 2).cents(), -1);
    EXPECT_EQ(Money(3).scaled(-1, 2).cents(), -2);
    EXPECT_EQ(Money(99999999999).scaled(1'000'000, 1'190'000).cents(), 84033613445);
}

TEST(Money, GermanAndBankTextsAreExactAtAnySize)
{
    const struct {
        qint64 cents;
        const char *grouped;
        const char *plain;
        const char *sepa;
        const char *decimal;
    } cases[] = {
        {0, "0,00", "0,00", "0", "0.00"},
        {5, "0,05", "0,05", "0.05", "0.05"},
        {-41, "-0,41", "-0,41", "-0.41", "-0.41"},
        {2250, "22,50", "22,50", "22.5", "22.50"},
        {10000, "100,00", "100,00", "100", "100.00"},
        {123456, "1.234,56", "1234,56", "1234.56", "1234.56"},
        {-100000, "-1.000,00", "-1000,00", "-1000", "-1000.00"},
        {99999999999, "999.999.999,99", "999999999,99", "999999999.99", "999999999.99"},
        {1330499999986695, "13.304.999.999.866,95", "13304999999866,95", "13304999999866.95", "13304999999866.95"},
        {std::numeric_limits<qint64>::min(), "-92.233.720.368.547.758,08", "-92233720368547758,08",
         "-92233720368547758.08", "-92233720368547758.08"},
    };
    for (const auto &c : cases) {
        const Money m(c.cents);
        EXPECT_EQ(m.german().toStdString(), c.grouped);
        EXPECT_EQ(m.german(false).toStdString(), c.plain);
        EXPECT_EQ(m.sepaText().toStdString(), c.sepa);
        EXPECT_EQ(m.decimalText().toStdString(), c.decimal);
        // The lists' general form is the bank file's with a comma.
        EXPECT_EQ(m.shortText(u',').toStdString(), QString::fromLatin1(c.sepa).replace(u'.', u',').toStdString());
    }
}

TEST(Money, GermanTextIsReadStrictly)
{
    const struct {
        const char *text;
        qint64 cents;
    } read[] = {
        {"1.234,56", 123456}, {"1234,5", 123450}, {" -3 ", -300}, {"0,05", 5}, {"7", 700},
        {"999.999.999,99", 99999999999}, {"-1.000", -100000}, {"999999999999999,99", 99999999999999999},
    };
    for (const auto &c : read) {
        const std::optional<Money> m = Money::parseGerman(QString::fromUtf8(c.text));
        ASSERT_TRUE(m.has_value()) << c.text;
        EXPECT_EQ(m->cents(), c.cents) << c.text;
    }
    for (const char *refused : {"1.5", "1,555", "12a", "", " ", ",5", "1,", "1.23,4", "12.3456", "--1", "+1",
                                "1 234,00", "1,2,3", "1234.56", "- 1", "1000000000000000"})
        EXPECT_FALSE(Money::parseGerman(QString::fromUtf8(refused)).has_value()) << '"' << refused << '"';

    // What the program writes, it reads back.
    for (const qint64 cents : {qint64(0), qint64(-1), qint64(123456789), qint64(-99999999999)})
        for (const bool grouping : {true, false})
            EXPECT_EQ(Money::parseGerman(Money(cents).german(grouping)), Money(cents)) << cents;
}

TEST(Money, SumsAreExactWhereDoublesDrift)
{
    // Ten times 0,10 €: as doubles 0.9999999999999999, as cents one euro.
    const std::vector<Money> dimes(10, Money(10));
    double asDoubles = 0;
    for (const Money m : dimes)
        asDoubles += m.euros();
    EXPECT_NE(asDoubles, 1.0);
    EXPECT_EQ(sumOf(dimes, [](Money m) { return m; }), Money(100));

    struct Line {
        Money net, vat;
    };
    const std::vector<Line> lines{{Money(103745), Money(19712)}, {Money(-50), Money(-4)}, {Money(99999999999), Money(0)}};
    EXPECT_EQ(sumOf(lines, [](const Line &l) { return l.net + l.vat; }), Money(100000123402));
    EXPECT_EQ(sumOf(std::vector<Line>{}, [](const Line &l) { return l.net; }), Money());

    Money running(500);
    running -= Money(501);
    EXPECT_EQ(running, Money(-1));
    EXPECT_EQ(-running, Money(1));
    EXPECT_LT(running, Money());
    EXPECT_GT(Money(1), Money(-1));
    EXPECT_TRUE(Money().isZero());
    EXPECT_FALSE(running.isZero());
}
