#include "text/Cp1252.h"

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

// What the code page lacks is written as the nearest Latin letters; only what has none
// becomes "?", and fitsCp1252 tells that beforehand.
TEST(Cp1252, MissingCharactersBecomeTheNearestLettersOrQuestionMarks)
{
    const struct {
        const char16_t *text;
        const char *expected;
        bool fits;
    } cases[] = {
        {u"Zoë ŁódźČ", "Zo\xEB L\xF3" "dzC", true}, // ë and ó are in the code page and stay
        {u"Győ Nováková-Ştefan", "Gyo Nov\xE1kov\xE1-Stefan", true},
        {u"ǖ ﬁ ẞ đ ı", "\xFC fi SS d i", true}, // marks given up from the end: ü stays ü
        {u"Jose\u0301 A\u030A", "Jos\xE9 \xC5", true}, // base letter + combining mark: one letter
        {u"x\u20DD", "x", true},                           // a mark nothing composes with is dropped
        {u"Gebühr 12,50 € – „ok“", "Geb\xFChr 12,50 \x80 \x96 \x84ok\x93", true},
        {u"Ohm Ω α→β", "Ohm ? ???", false},
        {u"\u0080\u009F", "??", false}, // C1 controls whose byte holds another character
        {u"Wald 🌲 Weg", "Wald ? Weg", false}, // surrogate pair: one character, one "?"
        {u"🌲🌳", "??", false},
        {u"𝐀𝐁", "AB", true},             // mathematical letters beyond the BMP decompose
        {u"a\xD800" "b", "a?b", false},   // lone high surrogate
        {u"a\xDC00", "a?", false},        // lone low surrogate at the end
    };
    for (const auto &[text, expected, fits] : cases) {
        const QString s = QString::fromUtf16(text);
        EXPECT_EQ(encodeCp1252(s), QByteArray(expected)) << expected;
        EXPECT_EQ(fitsCp1252(s), fits) << expected;
    }
    EXPECT_EQ(toCp1252Letters(u"Łukasz Čapek"_qs), u"Lukasz Capek"_qs);
}

TEST(Cp1252, EmptyInputGivesEmptyOutput)
{
    EXPECT_TRUE(decodeCp1252({}).isEmpty());
    EXPECT_TRUE(encodeCp1252({}).isEmpty());
}

} // namespace
} // namespace qvl
