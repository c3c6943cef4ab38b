#include "core/BusinessYear.h"

#include "text/Conversions.h"

#include <QRegularExpression>

namespace qvl {

QString BusinessYear::name() const
{
    return calendarYear() ? QString::number(start.year())
                          : QString::number(start.year()) + u'/' + QString::number(end.year());
}

std::optional<BusinessYear> businessYearOf(const QString &text, int startMonth)
{
    if (startMonth < 1 || startMonth > 12)
        return std::nullopt;
    static const QRegularExpression form(u"^([0-9]{4})(?:\\s*/\\s*([0-9]{2}|[0-9]{4}))?$"_qs);
    const QString trimmed = text.trimmed();
    int first = 0;
    if (const QRegularExpressionMatch m = form.match(trimmed); m.hasMatch()) {
        first = m.captured(1).toInt();
        if (m.capturedLength(2) > 0) {
            const QString second = m.captured(2);
            const int next = second.size() == 2 ? first / 100 * 100 + second.toInt() : second.toInt();
            // "2026/2027" spans two calendar years: not with a year that begins in January.
            if (next != first + 1 || startMonth == 1)
                return std::nullopt;
        }
    } else if (const std::optional<QDateTime> date = parseDate(trimmed)) {
        first = date->date().year();
    } else {
        return std::nullopt;
    }
    BusinessYear year;
    year.start = QDate(first, startMonth, 1);
    year.end = year.start.addYears(1).addDays(-1);
    if (!year.start.isValid())
        return std::nullopt;
    return year;
}

QString billingTitle(const QString &text, int startMonth)
{
    const std::optional<BusinessYear> year = businessYearOf(text, startMonth);
    if (!year || year->calendarYear())
        return u"Beitragsabrechnung für das Jahr "_qs + (year ? year->name() : text);
    return u"Beitragsabrechnung für das Wirtschaftsjahr "_qs + year->name() + u" ("_qs
           + formatDate(year->start, u"dd.mm.yyyy"_qs) + u" bis "_qs + formatDate(year->end, u"dd.mm.yyyy"_qs)
           + u')';
}

} // namespace qvl
