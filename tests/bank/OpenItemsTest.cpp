#include "bank/OpenItems.h"

#include <gtest/gtest.h>

using namespace qvl;

TEST(OpenItems, WhatIsOpenAndWhatIsReminded)
{
    const auto doc = [](qint64 number, PaymentWay way, QDate due) {
        RegisteredDocument d;
        d.number = number;
        d.way = way;
        d.grossCents = 5000;
        d.due = due;
        return d;
    };
    const QDate longAgo(2026, 12, 1), recently(2027, 2, 25), today(2027, 3, 1);
    const QList<RegisteredDocument> documents{
        doc(1, PaymentWay::DirectDebit, longAgo), // neither confirmed nor returned
        doc(2, PaymentWay::DirectDebit, longAgo), // returned
        doc(3, PaymentWay::DirectDebit, longAgo), // collected
        doc(4, PaymentWay::Transfer, longAgo),    // unpaid
        doc(5, PaymentWay::Transfer, longAgo),    // paid in part
        doc(6, PaymentWay::Transfer, recently),   // unpaid, not yet due for a reminder
        doc(7, PaymentWay::Transfer, longAgo),    // paid
    };
    const QList<RecordedPayment> payments{
        {2, PaymentKind::Collected, 5000, 0, {}, QDate(2026, 12, 1)},
        {2, PaymentKind::Returned, 5000, 300, u"AM04"_qs, QDate(2026, 12, 9)},
        {3, PaymentKind::Collected, 5000, 0, {}, QDate(2026, 12, 1)},
        {5, PaymentKind::Transfer, 2000, 0, {}, QDate(2026, 12, 20)},
        {7, PaymentKind::Transfer, 5000, 0, {}, QDate(2026, 12, 20)},
    };
    const auto numbers = [](const QList<OpenItem> &items) {
        QList<qint64> out;
        for (const OpenItem &item : items)
            out.append(item.document.number);
        return out;
    };
    const QList<OpenItem> open = openItems(documents, payments, true);
    EXPECT_EQ(numbers(open), (QList<qint64>{2, 4, 5, 6}));
    EXPECT_EQ(open[0].returnCode, u"AM04"_qs);
    EXPECT_EQ(open[0].returnChargeCents, 300);
    EXPECT_EQ(open[0].returnedOn, QDate(2026, 12, 9));
    EXPECT_EQ(open[2].openCents, 3000);
    EXPECT_EQ(open[2].lastPayment, QDate(2026, 12, 20));
    EXPECT_EQ(numbers(openItems(documents, payments, false)), (QList<qint64>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(numbers(remindersDue(open, today, 14)), (QList<qint64>{2, 4, 5}));
    EXPECT_EQ(numbers(returnsOpen(open)), (QList<qint64>{2}));
}
