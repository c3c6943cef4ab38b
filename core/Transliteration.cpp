#include "core/Transliteration.h"

#include <algorithm>

namespace qvl {

QString ReplaceUmlauteTable(const QString &text)
{
    // Most texts hold none of the characters: keep them (and their shared storage).
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= u'Ä'; }))
        return text;
    // No replacement contains a searched character, so one pass gives the same result as
    // applying the rows one after the other.
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'Ä': out += u"AE"; break;
        case u'Ö': out += u"OE"; break;
        case u'Ü': out += u"UE"; break;
        case u'ä': out += u"ae"; break;
        case u'ö': out += u"oe"; break;
        case u'ü': out += u"ue"; break;
        case u'ß': out += u"ss"; break;
        case u'é': out += u'e'; break;
        default: out += c;
        }
    }
    return out;
}

QString ReplaceUmlauteText(const QString &text)
{
    return ReplaceUmlauteTable(text).replace(u"\r\n"_qs, u" "_qs);
}

} // namespace qvl
