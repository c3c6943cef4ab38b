#include "core/Target2Calendar.h"

namespace qvl::target2 {

QDate easterSunday(int year)
{
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return QDate(year, month, day);
}

QString closingDay(const QDate &day)
{
    if (!day.isValid())
        return {};
    switch (day.dayOfWeek()) {
    case Qt::Saturday:
        return u"Samstag"_qs;
    case Qt::Sunday:
        return u"Sonntag"_qs;
    default:
        break;
    }
    const int month = day.month();
    const int dom = day.day();
    if (month == 1 && dom == 1)
        return u"Neujahr"_qs;
    if (month == 5 && dom == 1)
        return u"1. Mai"_qs;
    if (month == 12 && dom == 25)
        return u"1. Weihnachtstag"_qs;
    if (month == 12 && dom == 26)
        return u"2. Weihnachtstag"_qs;
    const QDate easter = easterSunday(day.year());
    if (day == easter.addDays(-2))
        return u"Karfreitag"_qs;
    if (day == easter.addDays(1))
        return u"Ostermontag"_qs;
    return {};
}

bool isBusinessDay(const QDate &day)
{
    return day.isValid() && closingDay(day).isEmpty();
}

QDate businessDayOnOrAfter(QDate day)
{
    // At most four closed days follow each other (Good Friday to Easter Monday).
    while (day.isValid() && !isBusinessDay(day))
        day = day.addDays(1);
    return day;
}

QDate addBusinessDays(QDate day, int n)
{
    day = businessDayOnOrAfter(day);
    for (int i = 0; i < n; ++i)
        day = businessDayOnOrAfter(day.addDays(1));
    return day;
}

} // namespace qvl::target2
