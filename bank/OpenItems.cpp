#include "bank/OpenItems.h"

#include "bank/Matching.h"

namespace qvl {

QList<OpenItem> openItems(const QList<RegisteredDocument> &documents, const QList<RecordedPayment> &payments,
                          bool openOnly)
{
    const OpenBalances balances(documents, payments);
    QHash<qint64, OpenItem> returns; // what the payments say beyond the balance
    for (const RecordedPayment &p : payments) {
        OpenItem &r = returns[p.number];
        if (p.kind == PaymentKind::Returned) {
            r.returnCode = p.reason;
            r.returnChargeCents += p.chargeCents;
            r.returnedOn = p.booked;
        } else if (!r.lastPayment.isValid() || p.booked > r.lastPayment) {
            r.lastPayment = p.booked;
        }
    }
    QList<OpenItem> items;
    for (const RegisteredDocument &d : documents) {
        OpenItem item = returns.value(d.number);
        item.document = d;
        item.paidCents = balances.paid(d.number);
        item.openCents = balances.open(d.number);
        item.returned = balances.returned(d.number);
        item.awaitingDebit = d.way == PaymentWay::DirectDebit && !item.returned && item.paidCents == 0;
        // A credit (paid too much) is an open item too, with its amount below zero.
        if (!openOnly || (item.openCents != 0 && !item.awaitingDebit))
            items.append(item);
    }
    return items;
}

QList<OpenItem> remindersDue(const QList<OpenItem> &items, const QDate &today, int days)
{
    QList<OpenItem> due;
    for (const OpenItem &item : items)
        // The last request to pay (a reminder, a return letter) must be the interval old.
        if (item.openCents > 0 && !item.awaitingDebit && item.document.due.isValid()
            && item.document.due.addDays(days) < today
            && (!item.document.lastReminder.isValid() || item.document.lastReminder.addDays(days) <= today))
            due.append(item);
    return due;
}

QList<OpenItem> returnsOpen(const QList<OpenItem> &items)
{
    QList<OpenItem> open;
    for (const OpenItem &item : items)
        if (item.returned && item.openCents > 0)
            open.append(item);
    return open;
}

} // namespace qvl
