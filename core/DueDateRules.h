#pragma once
// Whether the banks can meet the due date of a direct-debit run: a TARGET2 business day,
// at least the bank's lead time after today, and, when the fee notices tell the members
// of the debit, at least the pre-notification period after their date. Each rule broken
// gives a finding that names the next date meeting them all.

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace qvl {

struct DueDateRules {
    QDate today;
    int leadDays = 1; // TARGET2 business days from today (the CORE scheme's D-1)
    // The fee notices' date when they are printed: the pre-notification counts from it.
    std::optional<QDate> noticeDate;
    int preNotificationDays = 14; // calendar days
};

struct DueDateFinding {
    enum class Kind { Past, ClosingDay, TooSoon, PreNotification };
    Kind kind;
    QString text;
};

struct DueDateCheck {
    QList<DueDateFinding> findings;
    // The next date from the due date on that meets every rule; set when a rule is broken.
    std::optional<QDate> proposal;
};

// The earliest date that meets every rule.
QDate earliestDueDate(const DueDateRules &rules);

DueDateCheck checkDueDate(const QDate &due, const DueDateRules &rules);

} // namespace qvl
