#include "core/DueDateRules.h"

#include "text/Conversions.h"
#include "core/Target2Calendar.h"

#include <algorithm>

namespace qvl {

namespace {

QString dateText(const QDate &day)
{
    return formatDate(day, u"dd.mm.yyyy"_qs);
}

QString businessDays(int n)
{
    return QString::number(n) + (n == 1 ? u" Bankarbeitstag"_qs : u" Bankarbeitstage"_qs);
}

} // namespace

QDate earliestDueDate(const DueDateRules &rules)
{
    QDate earliest = target2::addBusinessDays(rules.today, std::max(0, rules.leadDays));
    if (rules.noticeDate && rules.noticeDate->isValid())
        earliest = std::max(earliest, rules.noticeDate->addDays(std::max(0, rules.preNotificationDays)));
    return target2::businessDayOnOrAfter(earliest);
}

DueDateCheck checkDueDate(const QDate &due, const DueDateRules &rules)
{
    DueDateCheck check;
    if (!due.isValid())
        return check;
    const QDate proposal = target2::businessDayOnOrAfter(std::max(due, earliestDueDate(rules)));
    const QString next = u" Nächster möglicher Fälligkeitstermin: "_qs + dateText(proposal) + u'.';
    const int lead = std::max(0, rules.leadDays);
    using Kind = DueDateFinding::Kind;
    if (due < rules.today)
        check.findings.append({Kind::Past, u"Der "_qs + dateText(due) + u" liegt in der Vergangenheit."_qs + next});
    else if (!target2::isBusinessDay(due))
        check.findings.append({Kind::ClosingDay, u"Der "_qs + dateText(due) + u" ist kein Bankarbeitstag."_qs + next});
    else if (due < target2::addBusinessDays(rules.today, lead))
        check.findings.append({Kind::TooSoon, u"Der "_qs + dateText(due) + u" liegt weniger als "_qs + businessDays(lead)
                                                  + u" nach heute; so kurzfristig zieht die Bank die Lastschriften "
                                                    "nicht ein."_qs
                                                  + next});
    if (rules.noticeDate && rules.noticeDate->isValid()) {
        const int period = std::max(0, rules.preNotificationDays);
        if (rules.noticeDate->daysTo(due) < period)
            check.findings.append(
                {Kind::PreNotification,
                 u"Zwischen dem Datum der Beitragsbescheide ("_qs + dateText(*rules.noticeDate)
                     + u") und dem Fälligkeitsdatum ("_qs + dateText(due) + u") liegen weniger als "_qs
                     + QString::number(period)
                     + u" Tage Frist für die Vorabankündigung der Lastschrift. Frühester Fälligkeitstermin mit "
                       "dieser Frist: "_qs
                     + dateText(proposal) + u'.'});
    }
    if (!check.findings.isEmpty())
        check.proposal = proposal;
    return check;
}

} // namespace qvl
