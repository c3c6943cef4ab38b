#include "text/Conversions.h"

#include <gtest/gtest.h>

using namespace qvl;

namespace {

struct RoundCase
{
    double value;
    int decimals;
    double expected;
};

// Several values lie just below the half in binary (2.675 is 2.67499999...), where
// rounding the scaled double would go the wrong way.
TEST(ConversionsTest, RoundsHalvesAwayFromZero)
{
    const RoundCase cases[] = {
        {2.675, 2, 2.68},     {1.005, 2, 1.01},       {0.285, 2, 0.29},
        {1.115, 2, 1.12},     {-2.675, 2, -2.68},     {-0.125, 2, -0.13},
        {2.5, 0, 3.0},        {-2.5, 0, -3.0},        {0.5, 0, 1.0},
        {2.674999, 2, 2.67},  {9.995, 2, 10.0},       {0.0049, 2, 0.0},
        {1234.5678, 2, 1234.57}, {123456789012.345, 2, 123456789012.35},
        {1250.0, -2, 1300.0}, {1e20, 2, 1e20},        {0.0, 2, 0.0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(roundHalfAwayFromZero(c.value, c.decimals), c.expected) << c.value << " / " << c.decimals;
}

TEST(ConversionsTest, RoundsHalvesToEven)
{
    const RoundCase cases[] = {
        {2.665, 2, 2.66},   {2.675, 2, 2.68},   {0.125, 2, 0.12},  {0.135, 2, 0.14},
        {1.005, 2, 1.0},    {0.285, 2, 0.28},   {1.115, 2, 1.12},  {-0.125, 2, -0.12},
        {-2.5, 0, -2.0},    {2.5, 0, 2.0},      {3.5, 0, 4.0},     {0.5, 0, 0.0},
        {1.015, 2, 1.02},   {0.575, 2, 0.58},   {-2.135, 2, -2.14}, {2.6651, 2, 2.67},
        {-2.6649, 2, -2.66}, {99.995, 2, 100.0}, {0.0001, 2, 0.0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(roundHalfEven(c.value, c.decimals), c.expected) << c.value << " / " << c.decimals;
}

TEST(ConversionsTest, IsZeroIgnoresBinaryNoise)
{
    EXPECT_TRUE(isZero(0.0));
    EXPECT_TRUE(isZero(0.1 + 0.2 - 0.3));
    EXPECT_TRUE(isZero(-1e-10));
    EXPECT_FALSE(isZero(1e-8));
    EXPECT_FALSE(isZero(-0.01));
}

TEST(ConversionsTest, FormatsEveryPattern)
{
    const struct { double value; const char *pattern; const char *expected; } cases[] = {
        {1234.5, "0.00", "1234,50"},          {1234.5, "##0.00", "1234,50"},
        {0.5, "##0.00", "0,50"},              {0.5, "#0.00", "0,50"},
        {123456.785, "#####0.00", "123456,79"}, {12.34565, "0.0000", "12,3457"},
        {1234.5, "#,##0.00", "1.234,50"},     {100.0, "#,##0.00", "100,00"},
        {1000.0, "#,##0.00", "1.000,00"},     {1234567.891, "###,##0.00", "1.234.567,89"},
        {-1234567.5, "#,##0.00", "-1.234.567,50"}, {1234.56785, "###,##0.0000", "1.234,5679"},
        {2.675, "0.00", "2,68"},              {-2.675, "0.00", "-2,68"},
        {1.005, "0.00", "1,01"},              {9.995, "0.00", "10,00"},
        {999.995, "#,##0.00", "1.000,00"},    {999999.999, "#,##0.00", "1.000.000,00"},
        {-0.004, "0.00", "0,00"},             {-0.005, "0.00", "-0,01"},
        {-0.0, "#,##0.00", "0,00"},           {50.0, "0000", "0050"},
        {-1234.56, "###,##0.0", "-1.234,6"},  {0.04, "###,##0.0", "0,0"},
        {12345.0, "0000", "12345"},           {-5.0, "0000", "-0005"},
        {-0.4, "0000", "0000"},               {7.5, "0000", "0008"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatNumber(c.value, QString::fromLatin1(c.pattern)), QString::fromUtf8(c.expected))
            << c.value << " " << c.pattern;
}

TEST(ConversionsTest, UnknownNumberPatternIsAProgrammingError)
{
#ifdef QT_NO_DEBUG
    EXPECT_EQ(formatNumber(1.5, u"0.0"_qs), u"1,5"_qs);
#else
    EXPECT_DEATH(formatNumber(1.5, u"0.0"_qs), "unknown pattern");
#endif
}

TEST(ConversionsTest, WritesTheGeneralNumberForm)
{
    const struct { double value; const char *expected; } cases[] = {
        {1234.5, "1234,5"},      {0.1, "0,1"},           {100.0, "100"},
        {12.3456, "12,3456"},    {0.0001, "0,0001"},     {-0.5, "-0,5"},
        {0.1 + 0.2, "0,3"},      {1.0 / 3.0, "0,333333333333333"},
        {1234567.89, "1234567,89"}, {999999999999999.0, "999999999999999"},
        {0.0, "0"},              {-0.0, "0"},
        // Never in exponent form, however large or small.
        {1e15, "1000000000000000"}, {1e20, "100000000000000000000"}, {1.5e-7, "0,00000015"},
        {0.00001, "0,00001"},    {-2.5e-10, "-0,00000000025"},
        {123456789012345678.0, "123456789012346000"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(generalNumber(c.value), QString::fromUtf8(c.expected)) << c.value;
}

// The suite's database and the old settings file write numbers with a "." anywhere; that
// reading is kept for them alone.
TEST(ConversionsTest, ReadsNumbersAsTheSuiteWritesThem)
{
    const struct { const char *text; double expected; } accepted[] = {
        {"1,5", 1.5},   {"1.234,5", 1234.5}, {"1.5", 15.0},  {" -3 ", -3.0},
        {",5", 0.5},    {"5,", 5.0},         {"+7", 7.0},    {"- 2,25", -2.25},
        {"0", 0.0},     {"007", 7.0},        {"1.234.567,89", 1234567.89},
    };
    for (const auto &c : accepted) {
        const std::optional<double> value = parseSuiteNumber(QString::fromUtf8(c.text));
        ASSERT_TRUE(value.has_value()) << c.text;
        EXPECT_EQ(*value, c.expected) << c.text;
    }
    for (const char *text : {"", "  ", "-", "+", ",", ".", "abc", "1,2,3", "1,5a", "12 34",
                             "1e5", "--1", "1,2.3", "1-", "0x10"})
        EXPECT_FALSE(parseSuiteNumber(QString::fromUtf8(text)).has_value()) << '"' << text << '"';

    EXPECT_EQ(suiteNumberOrZero(u"2,5"_qs), 2.5);
    EXPECT_EQ(suiteNumberOrZero(u"zwei"_qs), 0.0);
}

// What the clerk types is never read as another number: "1,2,3" is no number, "1.2" is not
// 12 (as the suite's reading would have it), a sign is no amount.
TEST(ConversionsTest, TypedAmountsTakeTheDecimalCommaAndGroupsOfThreeOnly)
{
    const std::pair<const char16_t *, double> accepted[] = {
        {u"12", 12},        {u" 12,50 ", 12.5}, {u"0", 0},          {u",5", 0.5},      {u"12,", 12},
        {u"1.234", 1234},   {u"1.234,5", 1234.5}, {u"12.345.678,90", 12345678.9}, {u"007", 7},
        {u"3,505", 3.505},  {u"999.999.999,99", 999999999.99}};
    for (const auto &[text, value] : accepted)
        EXPECT_EQ(parseGermanAmount(QString::fromUtf16(text)), value) << QString::fromUtf16(text).toStdString();
    for (const char16_t *text : {u"", u" ", u"1,2,3", u"1.2", u"1.5", u"12.34", u"1.2345", u".5", u"1..234", u"abc",
                                 u"-3", u"+3", u"1 234", u"12,5€", u"1e3", u",", u"1.234.5", u"1.234,5.6",
                                 u"1234.567", u"0x10"}) {
        const QString typed = QString::fromUtf16(text);
        EXPECT_FALSE(parseGermanAmount(typed)) << typed.toStdString();
    }
    // Where both readings take a text, they agree.
    for (const char16_t *text : {u"1.234,56", u"7", u"0,5", u" 12,50 "})
        EXPECT_EQ(parseGermanAmount(QString::fromUtf16(text)), parseSuiteNumber(QString::fromUtf16(text)))
            << QString::fromUtf16(text).toStdString();
}

TEST(ConversionsTest, TypedWholeNumbersAreDigitsOnly)
{
    EXPECT_EQ(parseWholeNumber(u"945"_qs), 945);
    EXPECT_EQ(parseWholeNumber(u" 0 "_qs), 0);
    EXPECT_EQ(parseWholeNumber(u"007"_qs), 7);
    EXPECT_EQ(parseWholeNumber(u"999999999999999"_qs), 999999999999999);
    for (const char16_t *text : {u"", u" ", u"1.500", u"1,0", u"-3", u"+3", u"12a", u"1 2", u"9999999999999999",
                                 u"\u0663"})
        EXPECT_FALSE(parseWholeNumber(QString::fromUtf16(text))) << QString::fromUtf16(text).toStdString();
}

TEST(ConversionsTest, FormatsEveryDatePattern)
{
    // Month 03 and minute 05 differ, and 14 o'clock shows the 24-hour clock.
    const QDateTime when(QDate(2026, 3, 7), QTime(14, 5, 9));
    const struct { const char *pattern; const char *expected; } cases[] = {
        {"dd.mm.yyyy", "07.03.2026"}, {"yyyy-mm-dd", "2026-03-07"}, {"yyyymmdd", "20260307"},
        {"ddmmyyyy", "07032026"},     {"yyyy.mm.dd", "2026.03.07"}, {"ddmm", "0703"},
        {"dd.MM.yy", "07.03.26"},     {"hhmmss", "140509"},         {"HH:MM:SS", "14:05:09"},
        {"hh_mm_ss", "14_05_09"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatDate(when, QString::fromLatin1(c.pattern)), QString::fromLatin1(c.expected))
            << c.pattern;
    EXPECT_EQ(formatDate(QDate(1999, 12, 31), u"dd.mm.yyyy"_qs), u"31.12.1999"_qs);
    EXPECT_EQ(formatDate(QDate(1999, 12, 31), u"hhmmss"_qs), u"000000"_qs);
}

TEST(ConversionsTest, ParsesDates)
{
    const struct { const char *text; QDateTime expected; } accepted[] = {
        {"6.12.2026", QDateTime(QDate(2026, 12, 6), QTime(0, 0))},
        {" 06.12.26 ", QDateTime(QDate(2026, 12, 6), QTime(0, 0))},
        {"1.1.29", QDateTime(QDate(2029, 1, 1), QTime(0, 0))},
        {"1.1.30", QDateTime(QDate(1930, 1, 1), QTime(0, 0))},
        {"31.12.99", QDateTime(QDate(1999, 12, 31), QTime(0, 0))},
        {"1.1.00", QDateTime(QDate(2000, 1, 1), QTime(0, 0))},
        {"29.02.2024", QDateTime(QDate(2024, 2, 29), QTime(0, 0))},
        {"2026-12-06", QDateTime(QDate(2026, 12, 6), QTime(0, 0))},
        {"6.12.2026 14:30", QDateTime(QDate(2026, 12, 6), QTime(14, 30))},
        {"06.12.2026 8:05:09", QDateTime(QDate(2026, 12, 6), QTime(8, 5, 9))},
        {"2026-12-06 23:59:59", QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59))},
    };
    for (const auto &c : accepted)
        EXPECT_EQ(parseDate(QString::fromLatin1(c.text)), std::optional<QDateTime>(c.expected)) << c.text;

    for (const char *text : {"", "abc", "31.02.2026", "29.02.2025", "32.01.2026", "1.13.2026",
                             "0.1.2026", "6.12", "6.12.202", "2026/12/06", "6.12.2026x",
                             "6.12.2026 25:00", "6.12.2026 12:60", "6.12.2026 12", "12:30"})
        EXPECT_FALSE(isDate(QString::fromLatin1(text))) << '"' << text << '"';
}

TEST(ConversionsTest, ReadsAndWritesBooleans)
{
    EXPECT_EQ(boolText(true), u"Wahr"_qs);
    EXPECT_EQ(boolText(false), u"Falsch"_qs);

    const struct { const char *text; bool expected; } accepted[] = {
        {"Wahr", true}, {"WAHR", true}, {"falsch", false}, {"True", true}, {"FALSE", false},
        {"0", false},   {"1", true},    {"-1", true},      {"0,0", false}, {"2,5", true},
    };
    for (const auto &c : accepted)
        EXPECT_EQ(parseBool(QString::fromLatin1(c.text)), std::optional<bool>(c.expected)) << c.text;
    for (const char *text : {"", "ja", "yes", "Wahrheit", "W"})
        EXPECT_FALSE(parseBool(QString::fromLatin1(text)).has_value()) << text;
}

} // namespace
