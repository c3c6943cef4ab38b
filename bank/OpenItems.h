#pragma once
// What each registered document still asks for: its amount, what was paid, whether a
// debit came back (and why), what is open. The list "Offene Posten" and the letters are
// made from it.

#include "bank/Register.h"

namespace qvl {

struct OpenItem {
    RegisteredDocument document;
    qint64 paidCents = 0;
    qint64 openCents = 0;       // negative: paid too much
    bool returned = false;      // a debit came back
    QString returnCode;         // of the last return
    qint64 returnChargeCents = 0; // the bank's charges of its returns
    QDate returnedOn;
    QDate lastPayment;
    // A debit the bank has neither confirmed nor returned yet: collected as far as anyone
    // knows, so neither open nor reminded.
    bool awaitingDebit = false;
};

// Every document (openOnly: only those with something open or paid too much, debits
// awaiting the bank left out), in number order.
QList<OpenItem> openItems(const QList<RegisteredDocument> &documents, const QList<RecordedPayment> &payments,
                          bool openOnly);

// Documents due for a reminder: open, due more than `days` days before `today`, and
// their last reminder or return letter at least `days` days old.
QList<OpenItem> remindersDue(const QList<OpenItem> &items, const QDate &today, int days);
// Documents whose debit came back and that are still open.
QList<OpenItem> returnsOpen(const QList<OpenItem> &items);

} // namespace qvl
