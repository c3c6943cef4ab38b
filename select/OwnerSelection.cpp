#include "select/OwnerSelection.h"

namespace qvl {

QString BuildWBIN(const QStringList &selectedLines)
{
    QString wbin = u"("_qs;
    for (const QString &line : selectedLines) {
        const QString t = line.trimmed();
        const qsizetype blank = t.indexOf(u' ');
        wbin += (blank < 0 ? t : t.left(blank)) + u',';
    }
    wbin.chop(1);
    wbin += u')';
    return wbin.size() < 3 ? QString() : wbin;
}

} // namespace qvl
