// The due date of a direct-debit run against the TARGET2 calendar, the bank's lead time and
// the pre-notification period of the fee notices.
#include "core/DueDateRules.h"
#include "core/Target2Calendar.h"

#include <gtest/gtest.h>

using namespace qvl;

namespace {

using Kind = DueDateFinding::Kind;

QDate day(const char *iso)
{
    return QDate::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

struct Case {
    const char *today;
    const char *due;
    int lead;
    std::vector<Kind> kinds;
    const char *proposal;          // nullptr: no finding, no proposal
    const char *closing = "";      // why the due date is closed, "" for a business day
    const char *notice = nullptr;  // the fee notices' date, when they are printed
    int period = 14;
};

std::string kindsText(const QList<DueDateFinding> &findings)
{
    std::string out;
    for (const DueDateFinding &f : findings)
        out += std::to_string(int(f.kind)) + ": " + f.text.toStdString() + "\n";
    return out;
}

} // namespace

TEST(DueDateRules, HolidaysWeekendsLeadTimesAndThePreNotificationPeriod)
{
    const Case cases[] = {
        // Every TARGET2 holiday of 2026 to 2028, seen from well before.
        {"2025-12-15", "2026-01-01", 1, {Kind::ClosingDay}, "2026-01-02", "Neujahr"},
        {"2025-12-15", "2026-04-03", 1, {Kind::ClosingDay}, "2026-04-07", "Karfreitag"},
        {"2025-12-15", "2026-04-06", 1, {Kind::ClosingDay}, "2026-04-07", "Ostermontag"},
        {"2025-12-15", "2026-05-01", 1, {Kind::ClosingDay}, "2026-05-04", "1. Mai"},
        {"2025-12-15", "2026-12-25", 1, {Kind::ClosingDay}, "2026-12-28", "1. Weihnachtstag"},
        {"2025-12-15", "2026-12-26", 1, {Kind::ClosingDay}, "2026-12-28", "Samstag"},
        {"2025-12-15", "2027-01-01", 1, {Kind::ClosingDay}, "2027-01-04", "Neujahr"},
        {"2025-12-15", "2027-03-26", 1, {Kind::ClosingDay}, "2027-03-30", "Karfreitag"},
        {"2025-12-15", "2027-03-29", 1, {Kind::ClosingDay}, "2027-03-30", "Ostermontag"},
        {"2025-12-15", "2027-05-01", 1, {Kind::ClosingDay}, "2027-05-03", "Samstag"},
        {"2025-12-15", "2027-12-25", 1, {Kind::ClosingDay}, "2027-12-27", "Samstag"},
        {"2025-12-15", "2027-12-26", 1, {Kind::ClosingDay}, "2027-12-27", "Sonntag"},
        {"2025-12-15", "2028-01-01", 1, {Kind::ClosingDay}, "2028-01-03", "Samstag"},
        {"2025-12-15", "2028-04-14", 1, {Kind::ClosingDay}, "2028-04-18", "Karfreitag"},
        {"2025-12-15", "2028-04-17", 1, {Kind::ClosingDay}, "2028-04-18", "Ostermontag"},
        {"2025-12-15", "2028-05-01", 1, {Kind::ClosingDay}, "2028-05-02", "1. Mai"},
        {"2025-12-15", "2028-12-25", 1, {Kind::ClosingDay}, "2028-12-27", "1. Weihnachtstag"},
        {"2025-12-15", "2028-12-26", 1, {Kind::ClosingDay}, "2028-12-27", "2. Weihnachtstag"},
        // Around them the banks work: Maundy Thursday, Christmas Eve, New Year's Eve.
        {"2025-12-15", "2026-04-02", 1, {}, nullptr},
        {"2025-12-15", "2026-12-24", 1, {}, nullptr},
        {"2025-12-15", "2026-12-31", 1, {}, nullptr},
        {"2025-12-15", "2028-04-13", 1, {}, nullptr},
        // Weekends.
        {"2026-12-07", "2026-12-19", 1, {Kind::ClosingDay}, "2026-12-21", "Samstag"},
        {"2026-12-07", "2026-12-20", 1, {Kind::ClosingDay}, "2026-12-21", "Sonntag"},
        // Lead times of one and two business days.
        {"2026-12-07", "2026-12-07", 1, {Kind::TooSoon}, "2026-12-08"},
        {"2026-12-07", "2026-12-08", 1, {}, nullptr},
        {"2026-12-07", "2026-12-08", 2, {Kind::TooSoon}, "2026-12-09"},
        {"2026-12-07", "2026-12-09", 2, {}, nullptr},
        {"2026-12-04", "2026-12-07", 1, {}, nullptr},                     // handed in on Friday
        {"2026-12-05", "2026-12-07", 1, {Kind::TooSoon}, "2026-12-08"},   // on Saturday: the bank starts Monday
        {"2026-12-24", "2026-12-28", 1, {}, nullptr},
        {"2026-12-24", "2026-12-28", 2, {Kind::TooSoon}, "2026-12-29"},
        // Over Easter the lead time counts no closed day.
        {"2026-04-02", "2026-04-07", 1, {}, nullptr},
        {"2026-04-02", "2026-04-07", 2, {Kind::TooSoon}, "2026-04-08"},
        {"2026-04-02", "2026-04-06", 2, {Kind::ClosingDay}, "2026-04-08", "Ostermontag"},
        {"2026-12-30", "2026-12-31", 2, {Kind::TooSoon}, "2027-01-04"},
        // A date in the past.
        {"2026-12-07", "2026-12-01", 1, {Kind::Past}, "2026-12-08"},
        {"2026-12-07", "2026-11-29", 2, {Kind::Past}, "2026-12-09", "Sonntag"},
        // The 14-day pre-notification period of printed fee notices.
        {"2026-12-07", "2026-12-21", 1, {}, nullptr, "", "2026-12-07"},
        {"2026-12-07", "2026-12-18", 1, {Kind::PreNotification}, "2026-12-21", "", "2026-12-07"},
        {"2026-12-07", "2026-12-19", 1, {Kind::ClosingDay, Kind::PreNotification}, "2026-12-21", "Samstag", "2026-12-07"},
        {"2026-12-07", "2026-12-21", 1, {Kind::PreNotification}, "2026-12-28", "", "2026-12-11"},
        {"2026-12-07", "2026-12-08", 1, {}, nullptr, "", "2026-12-07", 0},  // a shorter period agreed
        {"2026-12-07", "2026-12-10", 1, {Kind::PreNotification}, "2026-12-14", "", "2026-12-07", 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.today) + " -> " + c.due + " lead " + std::to_string(c.lead));
        DueDateRules rules{day(c.today), c.lead, c.notice ? std::optional<QDate>(day(c.notice)) : std::nullopt,
                           c.period};
        const DueDateCheck check = checkDueDate(day(c.due), rules);
        std::vector<Kind> kinds;
        for (const DueDateFinding &f : check.findings)
            kinds.push_back(f.kind);
        EXPECT_EQ(kinds, c.kinds) << kindsText(check.findings);
        EXPECT_EQ(check.proposal, c.proposal ? std::optional<QDate>(day(c.proposal)) : std::nullopt);
        EXPECT_EQ(target2::closingDay(day(c.due)), QString::fromUtf8(c.closing));
        if (check.proposal) {
            // The proposal itself meets every rule, and every finding names it.
            EXPECT_TRUE(checkDueDate(*check.proposal, rules).findings.isEmpty());
            for (const DueDateFinding &f : check.findings)
                EXPECT_TRUE(f.text.endsWith(check.proposal->toString(u"dd.MM.yyyy"_qs) + u'.'))
                    << f.text.toStdString();
        }
    }

    const DueDateCheck christmas = checkDueDate(day("2026-12-25"), {day("2026-12-07"), 1, std::nullopt, 14});
    ASSERT_EQ(christmas.findings.size(), 1);
    EXPECT_EQ(christmas.findings[0].text,
              u"Der 25.12.2026 ist kein Bankarbeitstag. Nächster möglicher Fälligkeitstermin: 28.12.2026."_qs);
}

TEST(Target2Calendar, EasterIsComputedForAnyYear)
{
    const std::pair<int, const char *> easter[] = {{2026, "2026-04-05"}, {2027, "2027-03-28"}, {2028, "2028-04-16"},
                                                   {2038, "2038-04-25"}, {2285, "2285-03-22"}, {2000, "2000-04-23"}};
    for (const auto &[year, date] : easter)
        EXPECT_EQ(target2::easterSunday(year), day(date)) << year;
}
