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
        {u"txtRechNr", KeyFilter::None, 0},
    };
    for (const Case &c : cases) {
        const QString name = QString::fromUtf16(c.name);
        EXPECT_EQ(keyFilterFor(name), c.filter) << name.toStdString();
        EXPECT_EQ(formattedDecimalsFor(name), c.decimals) << name.toStdString();
    }

    const QChar backspace(8);
    EXPECT_TRUE(acceptsTypedChar(KeyFilter::Decimal, backspace));
    EXPECT_FALSE(acceptsTypedChar(KeyFilter::Digits, backspace));
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

TEST(InputRules, TheLogoFilterBecomesQtFileFiltersInBothLetterCases)
{
    EXPECT_EQ(qtFileFilters(kLogoFilter),
              (QStringList{u"JPEG (*.jpg *.JPG *.JPEG *.jpeg)"_qs, u"Bitmap (*.bmp *.BMP)"_qs,
                           u"GIF (*.GIF *.gif)"_qs, u"Alle Dateien (*.*)"_qs}));
}
