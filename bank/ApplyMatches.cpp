#include "bank/ApplyMatches.h"

#include "bank/RegisterSql.h"
#include "platform/Database.h"

namespace qvl {

QSet<QString> keysRead(Database &db)
{
    QSet<QString> keys;
    QSqlQuery exists = db.run(db.sql(register_sql::kTableExists), {u"QVL32_UMSAETZE"_qs});
    if (!exists.next() || exists.value(0).toInt() == 0)
        return keys;
    const std::unique_ptr<RowCursor> rows = db.select(db.sql(register_sql::kAllEntryKeys));
    while (rows->next())
        keys.insert(rows->text(0) + u'|' + rows->text(1) + u'|' + rows->date(2).toString(Qt::ISODate) + u'|'
                    + QString::number(rows->integer(3)) + u'|' + rows->text(4));
    return keys;
}

ApplyResult applyMatching(Database &db, const Matching &matching)
{
    ApplyResult result;
    Transaction transaction(db);
    ensureRegisterTables(db);
    OpenBalances balances(readDocuments(db), readPayments(db));
    QSqlQuery entryInsert = db.prepare(db.sql(register_sql::kInsertEntry));
    QSqlQuery paymentInsert = db.prepare(db.sql(register_sql::kInsertPayment));
    QSqlQuery feePaid = db.prepare(db.sql(register_sql::kSetFeePaid));
    QSqlQuery last = db.run(db.sql(register_sql::kLastEntryId));
    qint64 entryId = last.next() ? last.value(0).toLongLong() : 0;
    for (const Match &m : matching.matches) {
        if (!matching.applicable(m))
            continue;
        const BankEntry &e = matching.entries[m.entry];
        const QString booked = e.booked.toString(Qt::ISODate);
        ++entryId;
        const QVariant entryValues[] = {entryId, e.account, e.identity().left(200), booked, e.cents,
                                        e.credit ? u"CRDT"_qs : u"DBIT"_qs,
                                        e.transactions.value(0).name,
                                        e.transactions.value(0).remittance.left(1000), e.file.left(400)};
        for (int i = 0; i < int(std::size(entryValues)); ++i)
            entryInsert.bindValue(i, entryValues[i]);
        Database::exec(entryInsert);
        ++result.entries;
        for (const Assignment &a : m.assignments) {
            const QVariant values[] = {a.number, paymentKindText(a.kind), a.cents, a.chargeCents,
                                       a.reason.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(a.reason),
                                       booked, entryId};
            for (int i = 0; i < int(std::size(values)); ++i)
                paymentInsert.bindValue(i, values[i]);
            Database::exec(paymentInsert);
            ++result.payments;
            const bool wasReturned = balances.returned(a.number);
            balances.book(a);
            const RegisteredDocument *d = balances.document(a.number);
            if (!d || d->way != PaymentWay::DirectDebit)
                continue;
            // The suite keeps a debit's invoice number in r_name.
            const auto setPaid = [&](const QVariant &day) {
                feePaid.bindValue(0, day);
                feePaid.bindValue(1, qint64(d->idPersonal));
                feePaid.bindValue(2, QString::number(d->number));
                Database::exec(feePaid);
            };
            if (a.kind == PaymentKind::Returned || (a.kind == PaymentKind::Reversed && balances.open(a.number) > 0)) {
                setPaid(QVariant(QMetaType(QMetaType::QString)));
                ++result.feesCleared;
            } else if (a.kind == PaymentKind::Transfer && wasReturned && balances.open(a.number) <= 0) {
                setPaid(booked);
                ++result.feesPaid;
            }
        }
    }
    transaction.commit();
    return result;
}

} // namespace qvl
