#include "app/InputRules.h"

#include <gtest/gtest.h>

using namespace qvl;

TEST(InputRules, CheckedAndFormattedBoxesByControlName)
{
    struct Case {
        const char16_t *name;
        int decimals;
        BoxRule rule;
        int positionLimit;
    };
    const Case cases[] = {
        {u"txtAbsenderLinks", 0, BoxRule::Position, kPageWidthTwips},
        {u"txtAnschriftOben", 0, BoxRule::Position, kPageHeightTwips},
        {u"txtStaffel(0)", 4, BoxRule::Formatted, 0},
        {u"txtStaffel(21)", 2, BoxRule::Formatted, 0},
        {u"txtHaZuschlag", 4, BoxRule::Formatted, 0},
        {u"txtHoechstbeitrag", 2, BoxRule::Formatted, 0},
        {u"txtMindestbeitrag5", 0, BoxRule::MinimumFee, 0},
        {u"txtMindestbeitrag6", 0, BoxRule::None, 0},
        {u"txtMwst(4)", 0, BoxRule::VatRate, 0},
        {u"txtMwst(5)", 0, BoxRule::None, 0},
        {u"txtStaffel(22)", 0, BoxRule::None, 0},
        {u"txtRechNr", 0, BoxRule::InvoiceNumber, 0},
        {u"txtRechDat", 0, BoxRule::Date, 0},
        {u"txtFaellDat", 0, BoxRule::Date, 0},
        {u"txtWirtschaftsjahr", 0, BoxRule::BusinessYear, 0},
        {u"txtWaehrung", 0, BoxRule::Currency, 0},
        {u"txtFirmenName", 0, BoxRule::None, 0},
    };
    for (const Case &c : cases) {
        const QString name = QString::fromUtf16(c.name);
        EXPECT_EQ(formattedDecimalsFor(name), c.decimals) << name.toStdString();
        // Leaving checks every box of an amount, a count, a date, a position or the
        // currency, nothing else.
        EXPECT_EQ(boxRuleFor(name), c.rule) << name.toStdString();
        EXPECT_EQ(checkedWhenLeft(name), c.rule != BoxRule::None) << name.toStdString();
        EXPECT_EQ(positionLimitFor(name), c.positionLimit) << name.toStdString();
    }
}

// A position is whole twips on the page; the currency one the program writes.
TEST(InputRules, PositionsAndTheCurrencyTakeOnlyWhatThePageAndTheBankFileHold)
{
    EXPECT_EQ(typedPosition(u"945"_qs, kPageWidthTwips), 945);
    EXPECT_EQ(typedPosition(u" 0 "_qs, kPageWidthTwips), 0);
    EXPECT_EQ(typedPosition(u"11906"_qs, kPageWidthTwips), 11906);
    for (const char16_t *text : {u"", u"abc", u"-5", u"+5", u"1,5", u"1.000", u"1e3", u"11907", u"9 45",
                                 u"00000000000000000000000000000000000000000000000001"})
        EXPECT_FALSE(typedPosition(QString::fromUtf16(text), kPageWidthTwips)) << QString::fromUtf16(text).toStdString();
    EXPECT_FALSE(typedPosition(QString(200, u'9'), kPageHeightTwips));

    EXPECT_EQ(typedCurrency(u"EUR"_qs), u"EUR"_qs);
    EXPECT_EQ(typedCurrency(u" eur "_qs), u"EUR"_qs);
    EXPECT_EQ(typedCurrency(u"€"_qs), u"€"_qs);
    for (const QString &text : {u""_qs, u"USD"_qs, u"Euro"_qs, u"EURO"_qs, u"EUR EUR"_qs, QString(198, u'E')})
        EXPECT_FALSE(typedCurrency(text)) << text.toStdString();
}

// The limit of every amount box is the program's limit of a fee.
TEST(InputRules, AnAmountBeyondTheProgramsLimitIsRefused)
{
    EXPECT_EQ(typedAmountInLimit(u"999.999.999,99"_qs), 999999999.99);
    EXPECT_EQ(typedAmountInLimit(u"12,5"_qs), 12.5);
    EXPECT_FALSE(typedAmountInLimit(u"1.000.000.000"_qs));
    EXPECT_FALSE(typedAmountInLimit(u"999999999,995"_qs));
    EXPECT_FALSE(typedAmountInLimit(QString(200, u'7')));
    EXPECT_FALSE(typedAmountInLimit(u"1e9"_qs));
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

// A document's number to assign a bank entry, as the letters print it or bare.
TEST(InputRules, ADocumentNumberIsTakenAsTheLettersPrintIt)
{
    const std::pair<const char16_t *, qint64> taken[] = {
        {u"65", 65}, {u" RE 65 ", 65}, {u"re65", 65}, {u"RE-65", 65}, {u"Nr. 65", 65}, {u"Rechnung 65", 65},
        {u"Rechnungsnummer: 65", 65}, {u"Beleg 7", 7}};
    for (const auto &[text, number] : taken)
        EXPECT_EQ(typedDocumentNumber(QString::fromUtf16(text)), number) << QString::fromUtf16(text).toStdString();
    for (const char16_t *text : {u"", u"abc", u"RE", u"6 5", u"65,00", u"RE 65 66", u"-65", u"0", u"1000000000"})
        EXPECT_FALSE(typedDocumentNumber(QString::fromUtf16(text))) << QString::fromUtf16(text).toStdString();
}
