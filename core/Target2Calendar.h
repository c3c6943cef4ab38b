#pragma once
// The TARGET2 calendar, by which SEPA direct debits settle: every day is a business day
// except Saturdays, Sundays, New Year's Day, Good Friday, Easter Monday, 1 May, Christmas
// Day and 26 December. Easter is computed, so the calendar holds for any year.

#include <QDate>
#include <QString>

namespace qvl::target2 {

// Easter Sunday of a Gregorian year (the anonymous Gregorian algorithm).
QDate easterSunday(int year);

// Why a day is closed ("Samstag", "Karfreitag", "1. Weihnachtstag", …); empty for a
// business day.
QString closingDay(const QDate &day);

bool isBusinessDay(const QDate &day);

// The day itself when it is a business day, else the next one.
QDate businessDayOnOrAfter(QDate day);

// n business days on from businessDayOnOrAfter(day): a file handed to the bank on a
// Monday with n = 1 is due on Tuesday at the earliest, and so is one handed in on the
// Saturday before, which the bank only takes up on Monday.
QDate addBusinessDays(QDate day, int n);

} // namespace qvl::target2
