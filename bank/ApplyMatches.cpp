#include "bank/ApplyMatches.h"

#include "bank/RegisterSql.h"
#include "db/Database.h"

#include <QCryptographicHash>

namespace qvl {

namespace {

bool tableExists(Database &db, const QString &table)
{
    QSqlQuery exists = db.run(db.sql(register_sql::kTableExists), {table});
    return exists.next() && exists.value(0).toInt() > 0;
}

QString statementKind(bool notification)
{
    return notification ? u"camt.054"_qs : u"camt.053"_qs;
}

} // namespace

QString StatementRead::key() const
{
    return account + u'|' + statementKind(notification) + u'|' + id + u'|' + firstEntry;
}

QString firstEntryDigest(const BankEntry &entry)
{
    return QString::fromLatin1(QCryptographicHash::hash(entry.key().toUtf8(), QCryptographicHash::Sha1).toHex());
}

EntryKeys keysRead(Database &db)
{
    EntryKeys keys;
    if (!tableExists(db, u"QVL32_UMSAETZE"_qs))
        return keys;
    const std::unique_ptr<RowCursor> rows = db.select(db.sql(register_sql::kAllEntryKeys));
    while (rows->next())
        keys.insert(rows->text(0) + u'|' + rows->text(1) + u'|' + rows->date(2).toString(Qt::ISODate) + u'|'
                    + QString::number(rows->integer(3)) + u'|' + rows->text(4));
    return keys;
}

QHash<QString, StatementRead> statementsRead(Database &db)
{
    QHash<QString, StatementRead> statements;
    if (!tableExists(db, u"QVL32_AUSZUEGE"_qs))
        return statements;
    const std::unique_ptr<RowCursor> rows = db.select(db.sql(register_sql::kAllStatements));
    while (rows->next()) {
        StatementRead s;
        s.account = rows->text(0);
        s.notification = rows->text(1) == u"camt.054"_qs;
        s.id = rows->text(2);
        s.file = rows->text(3);
        // ISO text on the embedded database, "yyyy-MM-dd hh:mm:ss.zzz" from SQL Server.
        QString when = rows->text(4).left(19);
        when.replace(u' ', u'T');
        s.read = QDateTime::fromString(when, Qt::ISODate);
        s.entries = int(rows->integer(5));
        s.firstEntry = rows->text(6);
        statements.insert(s.key(), s);
    }
    return statements;
}

MatchingApplier::MatchingApplier(Database &db, QDateTime now)
    : m_db(db), m_now(std::move(now)), m_transaction(std::make_unique<Transaction>(db))
{
    ensureRegisterTables(db);
    m_documents = readDocuments(db);
    m_payments = readPayments(db);
    m_balances = std::make_unique<OpenBalances>(m_documents, m_payments);
    QSqlQuery last = db.run(db.sql(register_sql::kLastEntryId));
    m_entryId = last.next() ? last.value(0).toLongLong() : 0;
}

MatchingApplier::~MatchingApplier() = default;

void MatchingApplier::apply(const Matching &matching)
{
    Database &db = m_db;
    OpenBalances &balances = *m_balances;
    QSqlQuery entryInsert = db.prepare(db.sql(register_sql::kInsertEntry));
    QSqlQuery paymentInsert = db.prepare(db.sql(register_sql::kInsertPayment));
    QSqlQuery feePaid = db.prepare(db.sql(register_sql::kSetFeePaid));
    for (const Match &m : matching.matches) {
        if (!matching.applicable(m))
            continue;
        const BankEntry &e = matching.entries[m.entry];
        const QString booked = e.booked.toString(Qt::ISODate);
        const qint64 entryId = ++m_entryId;
        const QVariant entryValues[] = {entryId, e.account, e.identity().left(200), booked, e.cents,
                                        e.credit ? u"CRDT"_qs : u"DBIT"_qs,
                                        e.transactions.value(0).name,
                                        e.transactions.value(0).remittance.left(1000), e.file.left(400)};
        for (int i = 0; i < int(std::size(entryValues)); ++i)
            entryInsert.bindValue(i, entryValues[i]);
        Database::exec(entryInsert);
        ++m_result.entries;
        for (const Assignment &a : m.assignments) {
            const QVariant values[] = {a.number, paymentKindText(a.kind), a.cents, a.chargeCents,
                                       a.reason.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(a.reason),
                                       booked, entryId};
            for (int i = 0; i < int(std::size(values)); ++i)
                paymentInsert.bindValue(i, values[i]);
            Database::exec(paymentInsert);
            ++m_result.payments;
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
                ++m_result.feesCleared;
            } else if (a.kind == PaymentKind::Transfer && wasReturned && balances.open(a.number) <= 0) {
                setPaid(booked);
                ++m_result.feesPaid;
            }
        }
    }
}

ApplyResult MatchingApplier::commit(const QList<StatementRead> &statements)
{
    if (!statements.isEmpty()) {
        QSqlQuery insert = m_db.prepare(m_db.sql(register_sql::kInsertStatement));
        const QString now = m_now.toString(u"yyyy-MM-ddTHH:mm:ss"_qs);
        for (const StatementRead &s : statements) {
            const QVariant values[] = {s.account, statementKind(s.notification), s.id.left(80), s.file.left(400),
                                       s.entries, now, s.firstEntry};
            for (int i = 0; i < int(std::size(values)); ++i)
                insert.bindValue(i, values[i]);
            Database::exec(insert);
        }
    }
    m_transaction->commit();
    return m_result;
}

ApplyResult applyMatching(Database &db, const Matching &matching, const QList<StatementRead> &statements,
                          const QDateTime &now)
{
    MatchingApplier applier(db, now);
    applier.apply(matching);
    return applier.commit(statements);
}

} // namespace qvl
