#pragma once
// The business year a run bills: the text of the business year box ("2026", "2026/2027")
// read with the month the association's business year begins in (setting
// "WirtschaftsjahrBeginn", January by default). The letters name it, the e-invoices carry
// it as the billing period (the time of the service an invoice must state), pro rata
// counts the months left in it.

#include <QDate>
#include <QString>
#include <optional>

namespace qvl {

struct BusinessYear {
    QDate start, end; // first and last day
    // "2026" for a calendar year, "2026/2027" for one that spans two.
    QString name() const;
    bool calendarYear() const { return start.month() == 1; }
};

// "2026", "2026/2027", "2026/27" or a date (its year): the business year that begins in
// that year's start month. A year spanning two calendar years names two years that follow
// each other and needs a start month after January; anything else is no business year.
std::optional<BusinessYear> businessYearOf(const QString &text, int startMonth);

// The title of a letter: "Beitragsabrechnung für das Jahr 2026", or for a business year
// that is not a calendar year "… für das Wirtschaftsjahr 2026/2027 (01.07.2026 bis
// 30.06.2027)". A text that is no business year is printed as typed.
QString billingTitle(const QString &text, int startMonth);

} // namespace qvl
