#include "stored/StoredRunCaption.h"

#include <QDate>
#include <QRegularExpression>

namespace qvl {

namespace {

// SQL Server's month abbreviations in English and German (the login's language decides).
int monthNumber(const QString &name)
{
    static const QStringList english{u"jan"_qs, u"feb"_qs, u"mar"_qs, u"apr"_qs, u"may"_qs, u"jun"_qs,
                                     u"jul"_qs, u"aug"_qs, u"sep"_qs, u"oct"_qs, u"nov"_qs, u"dec"_qs};
    static const QStringList german{u"jan"_qs, u"feb"_qs, u"mär"_qs, u"apr"_qs, u"mai"_qs, u"jun"_qs,
                                    u"jul"_qs, u"aug"_qs, u"sep"_qs, u"okt"_qs, u"nov"_qs, u"dez"_qs};
    const QString key = name.toLower();
    for (const QStringList *names : {&english, &german}) {
        const qsizetype i = names->indexOf(key);
        if (i >= 0)
            return int(i) + 1;
    }
    return key == u"mrz"_qs ? 3 : 0;
}

} // namespace

QString storedRunCaption(const QString &runKey)
{
    static const QRegularExpression date(u"(, Erstellt: )(\\p{L}{3}) {1,2}(\\d{1,2}) (\\d{4})$"_qs);
    const QRegularExpressionMatch m = date.match(runKey);
    if (!m.hasMatch())
        return runKey;
    const QDate day(m.captured(4).toInt(), monthNumber(m.captured(2)), m.captured(3).toInt());
    if (!day.isValid())
        return runKey;
    return runKey.left(m.capturedStart(0)) + m.captured(1) + day.toString(u"dd.MM.yyyy"_qs);
}

} // namespace qvl
