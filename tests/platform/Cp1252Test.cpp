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

struct ByteChar {
    unsigned char byte;
    char16_t unicode;
};

class Cp1252Mapping : public ::testing::TestWithParam<ByteChar> {};

TEST_P(Cp1252Mapping, DecodesAndEncodesAsOneByte)
{
    const auto [byte, unicode] = GetParam();
    const QByteArray encoded(1, char(byte));
    EXPECT_EQ(decodeCp1252(encoded), QString(QChar(unicode)));
    EXPECT_EQ(encodeCp1252(QString(QChar(unicode))), encoded);
}

INSTANTIATE_TEST_SUITE_P(Table, Cp1252Mapping,
                         ::testing::Values(
                             // German letters come from the Latin-1 half.
                             ByteChar{0xE4, u'ä'}, ByteChar{0xF6, u'ö'}, ByteChar{0xFC, u'ü'},
                             ByteChar{0xDF, u'ß'}, ByteChar{0xC4, u'Ä'}, ByteChar{0xDC, u'Ü'},
                             ByteChar{0xA0, u'\u00A0'}, ByteChar{0xFF, u'ÿ'}, ByteChar{0x41, u'A'},
                             // The block where Windows-1252 differs from Latin-1.
                             ByteChar{0x80, u'€'}, ByteChar{0x82, u'‚'}, ByteChar{0x84, u'„'},
                             ByteChar{0x8A, u'Š'}, ByteChar{0x8E, u'Ž'}, ByteChar{0x91, u'‘'},
                             ByteChar{0x92, u'’'}, ByteChar{0x93, u'“'}, ByteChar{0x94, u'”'},
                             ByteChar{0x96, u'–'}, ByteChar{0x99, u'™'}, ByteChar{0x9F, u'Ÿ'},
                             // Unassigned bytes stay C1 controls, as on Windows.
                             ByteChar{0x81, u'\u0081'},
                             ByteChar{0x9D, u'\u009D'}));

struct Unmappable {
    const char16_t *text;
    const char *expected;
};

class Cp1252Unmappable : public ::testing::TestWithParam<Unmappable> {};

TEST_P(Cp1252Unmappable, BecomesQuestionMark)
{
    const auto [text, expected] = GetParam();
    EXPECT_EQ(encodeCp1252(QString::fromUtf16(text)), QByteArray(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cp1252Unmappable,
    ::testing::Values(
        Unmappable{u"Łódź", "?\xF3" "d?"},
        Unmappable{u"\u0080\u009F", "??"}, // C1 controls whose byte holds another character
        Unmappable{u"α→Ω", "???"},
        Unmappable{u"Wald 🌲 Weg", "Wald ? Weg"}, // surrogate pair: one character, one "?"
        Unmappable{u"🌲🌳", "??"},
        Unmappable{u"a\xD800" "b", "a?b"},        // lone high surrogate
        Unmappable{u"a\xDC00", "a?"},             // lone low surrogate at the end
        Unmappable{u"Gebühr 12,50 €", "Geb\xFChr 12,50 \x80"}));

TEST(Cp1252, EmptyInputGivesEmptyOutput)
{
    EXPECT_TRUE(decodeCp1252({}).isEmpty());
    EXPECT_TRUE(encodeCp1252({}).isEmpty());
}

} // namespace
} // namespace qvl
