#include "platform/Cp1252.h"

#include <gtest/gtest.h>

namespace qvl {
namespace {

TEST(Cp1252, EveryByteSurvivesDecodeAndEncode)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = decodeCp1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(encodeCp1252(text), all);
}

TEST(Cp1252, EachMappedCharacterIsOneByteBothWays)
{
    const struct {
        unsigned char byte;
        char16_t unicode;
    } cases[] = {
        // German letters come from the Latin-1 half.
        {0xE4, u'ä'}, {0xF6, u'ö'}, {0xFC, u'ü'}, {0xDF, u'ß'}, {0xC4, u'Ä'}, {0xDC, u'Ü'},
        {0xA0, u'\u00A0'}, {0xFF, u'ÿ'}, {0x41, u'A'},
        // The block where Windows-1252 differs from Latin-1.
        {0x80, u'€'}, {0x82, u'‚'}, {0x84, u'„'}, {0x8A, u'Š'}, {0x8E, u'Ž'}, {0x91, u'‘'},
        {0x92, u'’'}, {0x93, u'“'}, {0x94, u'”'}, {0x96, u'–'}, {0x99, u'™'}, {0x9F, u'Ÿ'},
        // Unassigned bytes stay C1 controls, as on Windows.
        {0x81, u'\u0081'}, {0x9D, u'\u009D'},
    };
    for (const auto &[byte, unicode] : cases) {
        const QByteArray encoded(1, char(byte));
        EXPECT_EQ(decodeCp1252(encoded), QString(QChar(unicode))) << int(byte);
        EXPECT_EQ(encodeCp1252(QString(QChar(unicode))), encoded) << int(byte);
    }
}

TEST(Cp1252, UnmappableCharactersBecomeQuestionMarks)
{
    const struct {
        const char16_t *text;
        const char *expected;
    } cases[] = {
        {u"Łódź", "?\xF3" "d?"},
        {u"\u0080\u009F", "??"}, // C1 controls whose byte holds another character
        {u"α→Ω", "???"},
        {u"Wald 🌲 Weg", "Wald ? Weg"}, // surrogate pair: one character, one "?"
        {u"🌲🌳", "??"},
        {u"a\xD800" "b", "a?b"},        // lone high surrogate
        {u"a\xDC00", "a?"},             // lone low surrogate at the end
        {u"Gebühr 12,50 €", "Geb\xFChr 12,50 \x80"},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(encodeCp1252(QString::fromUtf16(text)), QByteArray(expected)) << expected;
}

TEST(Cp1252, EmptyInputGivesEmptyOutput)
{
    EXPECT_TRUE(decodeCp1252({}).isEmpty());
    EXPECT_TRUE(encodeCp1252({}).isEmpty());
}

} // namespace
} // namespace qvl
