#include "text/GermanOrder.h"

#include <QString>

namespace qvl {

namespace {

// Appends the base letters of c, lower-cased: ä -> a, É -> e, ß -> ss.
void appendFolded(QString &out, QChar c)
{
    if (c.unicode() < 0x80) {
        out += c.toLower();
        return;
    }
    if (c == u'ß') {
        out += u"ss";
        return;
    }
    const QString decomposed = c.decomposition();
    out += (decomposed.isEmpty() ? c : decomposed.front()).toLower();
}

QString folded(QStringView text)
{
    QString out;
    out.reserve(text.size() + 2);
    for (const QChar c : text)
        appendFolded(out, c);
    return out;
}

} // namespace

int compareGerman(QStringView a, QStringView b)
{
    if (const int primary = folded(a).compare(folded(b)); primary != 0)
        return primary;
    // Diacritics decide between otherwise equal texts; letter case never does.
    return a.compare(b, Qt::CaseInsensitive);
}

} // namespace qvl
