#pragma once
// What every block of the bank file is built with: its lines, the free texts reduced to
// the banks' character set, the BIC's tag of the format.

#include "sepa/SepaDocument.h"

#include <QByteArray>
#include <QString>

namespace qvl {

// Schema length of a name (creditor, debtor).
inline constexpr int kSepaNameLength = 70;

// Reduction can lengthen a text (ß -> ss), so the cut comes after it.
inline QString sepaFreeText(const QString &text, int maxLength)
{
    return bankCharset(text).left(maxLength);
}

// The lines of one block, as the file's UTF-8 bytes; every line ends with CR LF, the
// block with one empty line. Appends in place: a big run writes a hundred thousand blocks.
class SepaBlock
{
public:
    SepaBlock() { m_bytes.reserve(2400); }

    void line(int blanks, QByteArrayView text)
    {
        indent(blanks);
        m_bytes += text;
        m_bytes += "\r\n";
    }

    // Opening literal, escaped value, closing literal.
    void line(int blanks, QByteArrayView open, const QString &value, QByteArrayView close)
    {
        indent(blanks);
        m_bytes += open;
        m_bytes += xmlEscape(value).toUtf8();
        m_bytes += close;
        m_bytes += "\r\n";
    }

    void element(int blanks, QByteArrayView tag, const QString &value)
    {
        indent(blanks);
        m_bytes += '<';
        m_bytes += tag;
        m_bytes += '>';
        m_bytes += xmlEscape(value).toUtf8();
        m_bytes += "</";
        m_bytes += tag;
        m_bytes += ">\r\n";
    }

    QByteArray bytes() { return m_bytes += "\r\n"; }

private:
    void indent(int blanks) { m_bytes.append(qsizetype(blanks), ' '); }

    QByteArray m_bytes;
};

inline QByteArrayView sepaBicTag(SepaFormat format)
{
    return format == SepaFormat::Pain00800108 ? "BICFI" : "BIC";
}

} // namespace qvl
