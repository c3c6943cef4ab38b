#include "app/InputRules.h"

#include <gtest/gtest.h>

using namespace qvl;

TEST(InputRules, KeyFiltersAndFormattedBoxesByControlName)
{
    struct Case {
        const char16_t *name;
        KeyFilter filter;
        int decimals;
        BoxRule rule;
    };
    const Case cases[] = {
        {u"txtAbsenderLinks", KeyFilter::Digits, 0, BoxRule::None},
        {u"txtAnschriftOben", KeyFilter::Digits, 0, BoxRule::None},
        {u"txtStaffel(0)", KeyFilter::Decimal, 4, BoxRule::Formatted},
        {u"txtStaffel(21)", KeyFilter::Decimal, 2, BoxRule::Formatted},
        {u"txtHaZuschlag", KeyFilter::Decimal, 4, BoxRule::Formatted},
        {u"txtHoechstbeitrag", KeyFilter::Decimal, 2, BoxRule::Formatted},
        {u"txtMindestbeitrag5", KeyFilter::Decimal, 0, BoxRule::MinimumFee},
        {u"txtMindestbeitrag6", KeyFilter::None, 0, BoxRule::None},
        {u"txtMwst(4)", KeyFilter::Decimal, 0, BoxRule::VatRate},
        {u"txtMwst(5)", KeyFilter::None, 0, BoxRule::None},
        {u"txtStaffel(22)", KeyFilter::None, 0, BoxRule::None},
        {u"txtRechNr", KeyFilter::Whole, 0, BoxRule::InvoiceNumber},
        {u"txtRechDat", KeyFilter::None, 0, BoxRule::Date},
        {u"txtFaellDat", KeyFilter::None, 0, BoxRule::Date},
        {u"txtWirtschaftsjahr", KeyFilter::None, 0, BoxRule::BusinessYear},
        {u"txtWaehrung", KeyFilter::None, 0, BoxRule::None},
    };
    for (const Case &c : cases) {
        const QString name = QString::fromUtf16(c.name);
        EXPECT_EQ(keyFilterFor(name), c.filter) << name.toStdString();
        EXPECT_EQ(formattedDecimalsFor(name), c.decimals) << name.toStdString();
        // Leaving checks every box of an amount, a count or a date, nothing else.
        EXPECT_EQ(boxRuleFor(name), c.rule) << name.toStdString();
        EXPECT_EQ(checkedWhenLeft(name), c.rule != BoxRule::None) << name.toStdString();
    }

    const QChar backspace(8);
    EXPECT_TRUE(acceptsTypedChar(KeyFilter::Decimal, backspace));
    EXPECT_FALSE(acceptsTypedChar(KeyFilter::Digits, backspace));
    EXPECT_TRUE(acceptsTypedChar(KeyFilter::Whole, backspace));
    for (const QChar c : u",.-E"_qs)
        EXPECT_FALSE(acceptsTypedChar(KeyFilter::Whole, c)) << QString(c).toStdString();
    for (const QChar c : u"0123456789"_qs) {
        EXPECT_TRUE(acceptsTypedChar(KeyFilter::Digits, c));
        EXPECT_TRUE(acceptsTypedChar(KeyFilter::Decimal, c));
    }
    for (const QChar c : u",."_qs) {
        EXPECT_FALSE(acceptsTypedChar(KeyFilter::Digits, c));
        EXPECT_TRUE(acceptsTypedChar(KeyFilter::Decimal, c));
    }
    for (const QChar c : u"a-+ €²"_qs)
        EXPECT_FALSE(acceptsTypedChar(KeyFilter::Decimal, c)) << QString(c).toStdString();
    EXPECT_TRUE(acceptsTypedChar(KeyFilter::None, u'x'));
}

TEST(InputRules, AmountsTakeTheDecimalCommaAndGroupsOfThreeOnly)
{
    const std::pair<const char16_t *, double> accepted[] = {
        {u"12", 12},        {u" 12,50 ", 12.5}, {u"0", 0},          {u",5", 0.5},      {u"12,", 12},
        {u"1.234", 1234},   {u"1.234,5", 1234.5}, {u"12.345.678,90", 12345678.9}, {u"007", 7}};
    for (const auto &[text, value] : accepted)
        EXPECT_EQ(typedAmount(QString::fromUtf16(text)), value) << QString::fromUtf16(text).toStdString();
    // A typo is never read as another number: "1,2,3" is no number, "1.2" is not 12.
    for (const char16_t *text : {u"", u" ", u"1,2,3", u"1.2", u"12.34", u"1.2345", u".5", u"1..234", u"abc", u"-3",
                                 u"+3", u"1 234", u"12,5€", u"1e3", u",", u"1.234.5"})
        EXPECT_FALSE(typedAmount(QString::fromUtf16(text))) << QString::fromUtf16(text).toStdString();
}

TEST(InputRules, TheBusinessYearIsFourDigits)
{
    EXPECT_EQ(typedYear(u"2026"_qs), 2026);
    EXPECT_EQ(typedYear(u" 2026 "_qs), 2026);
    for (const char16_t *text : {u"", u"abcd", u"26", u"20266", u"2026a", u"1899", u"3000", u"2.026", u"-2026"})
        EXPECT_FALSE(typedYear(QString::fromUtf16(text))) << QString::fromUtf16(text).toStdString();
}

// A business year that begins after January spans two calendar years and may name both;
// one that begins in January may not, and the refusal says why.
TEST(InputRules, AYearThatSpansTwoCalendarYearsNamesBoth)
{
    const struct {
        const char16_t *text;
        int startMonth;
        const char16_t *taken; // null: refused
        const char16_t *why;   // part of the reason
    } cases[] = {
        {u"2026", 1, u"2026", nullptr},
        {u" 2026 ", 7, u"2026", nullptr},
        {u"2026/2027", 7, u"2026/2027", nullptr},
        {u"2026 / 27", 7, u"2026/2027", nullptr},
        {u"2099/00", 10, u"2099/2100", nullptr},
        {u"2026/2027", 1, nullptr, u"im Januar beginnt"},
        {u"2026/27", 1, nullptr, u"zum Beispiel 2026"},
        {u"2026/2028", 7, nullptr, u"aufeinanderfolgende"},
        {u"1899/1900", 7, nullptr, u"aufeinanderfolgende"},
        {u"26/27", 7, nullptr, u"2026/2027"},
        {u"abcd", 1, nullptr, u"vier Ziffern"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString() + " from month " + std::to_string(c.startMonth));
        QString why;
        const std::optional<QString> year = typedBusinessYear(QString::fromUtf16(c.text), c.startMonth, &why);
        if (c.taken) {
            EXPECT_EQ(year, QString::fromUtf16(c.taken));
        } else {
            EXPECT_FALSE(year.has_value());
            EXPECT_TRUE(why.contains(QString::fromUtf16(c.why))) << why.toStdString();
        }
    }
    EXPECT_EQ(typedDecimals(u"7"_qs), 0);
    EXPECT_EQ(typedDecimals(u" 5,5 "_qs), 1);
    EXPECT_EQ(typedDecimals(u"7,12345"_qs), 5);
}

TEST(InputRules, InvoiceNumberIsAWholeNumberOfAtMostNineDigits)
{
    const std::pair<const char16_t *, qint64> accepted[] = {
        {u"1", 1}, {u" 42 ", 42}, {u"007", 7}, {u"999999999", 999999999}, {u"0000000001", 1}};
    for (const auto &[text, number] : accepted)
        EXPECT_EQ(invoiceNumber(QString::fromUtf16(text)), number) << QString::fromUtf16(text).toStdString();
    // Nothing, zero, ten digits, a typed exponent, a sign, a decimal or a group separator.
    for (const char16_t *text : {u"", u"  ", u"0", u"1000000000", u"99999999999999999999", u"1E+20", u"-5", u"+5",
                                 u"12,7", u"1.000", u"1 000", u"RG-17"})
        EXPECT_FALSE(invoiceNumber(QString::fromUtf16(text))) << QString::fromUtf16(text).toStdString();
}

TEST(InputRules, TheLogoFilterBecomesQtFileFiltersInBothLetterCases)
{
    EXPECT_EQ(qtFileFilters(kLogoFilter),
              (QStringList{u"JPEG (*.jpg *.JPG *.JPEG *.jpeg)"_qs, u"Bitmap (*.bmp *.BMP)"_qs,
                           u"GIF (*.GIF *.gif)"_qs, u"Alle Dateien (*.*)"_qs}));
}
