#include "app/InputRules.h"

#include <gtest/gtest.h>

using namespace qvl;

TEST(InputRules, KeyFiltersAndFormattedBoxesByControlName)
{
    struct Case {
        const char16_t *name;
        KeyFilter filter;
        int decimals;
    };
    const Case cases[] = {
        {u"txtAbsenderLinks", KeyFilter::Digits, 0},  {u"txtAnschriftOben", KeyFilter::Digits, 0},
        {u"txtStaffel(0)", KeyFilter::Decimal, 4},    {u"txtStaffel(21)", KeyFilter::Decimal, 2},
        {u"txtHaZuschlag", KeyFilter::Decimal, 4},    {u"txtHoechstbeitrag", KeyFilter::Decimal, 2},
        {u"txtMindestbeitrag5", KeyFilter::Decimal, 0}, {u"txtMwst(4)", KeyFilter::Decimal, 0},
        {u"txtMwst(5)", KeyFilter::None, 0},          {u"txtStaffel(22)", KeyFilter::None, 0},
        {u"txtRechNr", KeyFilter::Whole, 0},          {u"txtRechDat", KeyFilter::None, 0},
    };
    for (const Case &c : cases) {
        const QString name = QString::fromUtf16(c.name);
        EXPECT_EQ(keyFilterFor(name), c.filter) << name.toStdString();
        EXPECT_EQ(formattedDecimalsFor(name), c.decimals) << name.toStdString();
        // Leaving checks the formatted boxes and the invoice number, nothing else.
        EXPECT_EQ(checkedWhenLeft(name), c.decimals > 0 || name == u"txtRechNr"_qs) << name.toStdString();
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
