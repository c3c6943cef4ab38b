#include "text/Cp1252.h"

#include <QStringView>
#include <array>
#include <optional>

namespace qvl {

namespace {

// Bytes 0x80..0x9F, where Windows-1252 departs from Latin-1. The five bytes without a
// character decode to the C1 control of the same value, as Windows does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

char16_t decodeByte(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

// The byte of a UTF-16 unit, or 0 when the code page has none (NUL itself is never
// asked for: it is written as it is).
char byteOf(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return char(unit);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == unit)
            return char(0x80 + i);
    return 0;
}

bool hasByte(char16_t unit)
{
    return unit == 0 || byteOf(unit) != 0;
}

bool allHaveBytes(QStringView text)
{
    for (const QChar c : text)
        if (!hasByte(c.unicode()))
            return false;
    return true;
}

// Letters without a decomposition, and dashes, written as the nearest Latin ones.
QString undecomposable(char32_t c)
{
    switch (c) {
    case U'Ł': return QStringLiteral("L");
    case U'ł': return QStringLiteral("l");
    case U'Đ': return QStringLiteral("D");
    case U'đ': return QStringLiteral("d");
    case U'Ħ': return QStringLiteral("H");
    case U'ħ': return QStringLiteral("h");
    case U'ı': return QStringLiteral("i");
    case U'Ŧ': return QStringLiteral("T");
    case U'ŧ': return QStringLiteral("t");
    case U'Ŋ': return QStringLiteral("N");
    case U'ŋ': return QStringLiteral("n");
    case U'ĸ': return QStringLiteral("k");
    case U'ẞ': return QStringLiteral("SS");
    case U'Ə': return QStringLiteral("E");
    case U'ə': return QStringLiteral("e");
    case 0x2010: case 0x2011: case 0x2012: case 0x2015: case 0x2212: return QStringLiteral("-");
    default: return {};
    }
}

// The nearest form of one character the code page lacks: its compatibility decomposition,
// giving up marks from the end until the rest composes to characters the code page holds
// (ǖ = u + ¨ + ¯ gives ü); else the letters without any mark; else the table above.
// A mark left over after composing is dropped. Nothing when there is no such form.
std::optional<QString> nearestLetters(char32_t c)
{
    if (QString table = undecomposable(c); !table.isEmpty())
        return table;
    if (QChar::isMark(c))
        return QString();
    QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    while (!decomposed.isEmpty()) {
        const QString composed = decomposed.normalized(QString::NormalizationForm_C);
        if (allHaveBytes(composed))
            return composed;
        if (!decomposed.back().isMark())
            break;
        decomposed.chop(1);
    }
    QString bare;
    for (const QChar d : QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD))
        if (!d.isMark())
            bare.append(d);
    if (!bare.isEmpty() && allHaveBytes(bare))
        return bare;
    return std::nullopt;
}

} // namespace

QString decodeCp1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(decodeByte(static_cast<unsigned char>(byte)));
    return text;
}

QString toCp1252Letters(const QString &source)
{
    if (allHaveBytes(source))
        return source;
    // Letters written as a base and a combining mark (as some systems store é) first
    // become the one character the code page has.
    const QString text = source.normalized(QString::NormalizationForm_C);
    if (allHaveBytes(text))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (hasByte(c.unicode())) {
            out.append(c);
            continue;
        }
        // A character beyond the BMP is one character, not two UTF-16 units.
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const char32_t code = pair ? QChar::surrogateToUcs4(c, text.at(i + 1)) : c.unicode();
        const std::optional<QString> nearest = c.isSurrogate() && !pair ? std::nullopt : nearestLetters(code);
        if (nearest)
            out.append(*nearest);
        else
            out.append(text.mid(i, pair ? 2 : 1));
        if (pair)
            ++i;
    }
    return out;
}

bool fitsCp1252(const QString &text)
{
    return allHaveBytes(toCp1252Letters(text));
}

QByteArray encodeCp1252(const QString &text)
{
    const QString letters = toCp1252Letters(text);
    QByteArray bytes;
    bytes.reserve(letters.size());
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const QChar c = letters.at(i);
        if (const char byte = byteOf(c.unicode()); byte != 0 || c.unicode() == 0) {
            bytes.append(byte);
            continue;
        }
        // A character beyond the BMP is one "?", not one per UTF-16 unit.
        if (c.isHighSurrogate() && i + 1 < letters.size() && letters.at(i + 1).isLowSurrogate())
            ++i;
        bytes.append('?');
    }
    return bytes;
}

} // namespace qvl
