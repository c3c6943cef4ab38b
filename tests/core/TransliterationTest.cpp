#include "core/Transliteration.h"

#include <gtest/gtest.h>

using namespace qvl;

TEST(Transliteration, ReplacesUmlautsSharpSAndEAcuteOnly)
{
    const std::pair<QString, QString> cases[] = {
        {u"Grünwald-Müller"_qs, u"Gruenwald-Mueller"_qs}, {u"STRASSE"_qs, u"STRASSE"_qs},
        {u"Straße"_qs, u"Strasse"_qs}, {u"Ärger"_qs, u"AErger"_qs}, {u"José"_qs, u"Jose"_qs},
        {u"ÖLÜÄöäü"_qs, u"OELUEAEoeaeue"_qs}, {u"Èçł"_qs, u"Èçł"_qs}, {u""_qs, u""_qs},
        {u"zwei\r\nZeilen"_qs, u"zwei Zeilen"_qs}, {u"nur\nLF und\rCR"_qs, u"nur\nLF und\rCR"_qs},
        {u"a\r\n\r\nb"_qs, u"a  b"_qs}};
    for (const auto &[in, out] : cases)
        EXPECT_EQ(ReplaceUmlauteText(in), out) << in.toStdString();
    // The record table keeps line breaks.
    EXPECT_EQ(ReplaceUmlauteTable(u"Fürst\r\nStraße"_qs), u"Fuerst\r\nStrasse"_qs);
}
