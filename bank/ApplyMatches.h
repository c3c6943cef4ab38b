#pragma once
// Applies a matching to the register (after "Übernehmen" or --yes), in one transaction:
// each entry that assigns something is recorded as read, each payment and return is
// recorded for its document, and the stored fee of a direct debit follows: a return
// clears its datum_bezahlt (the fee is not paid), a later payment that settles the
// document sets it to the booking date. Nothing else in the suite's tables changes. The
// statements the entries came from are recorded as read, so that one read again is
// skipped as a whole. A reading of any size is applied part by part within the one
// transaction (MatchingApplier), so that memory stays flat.

#include "bank/Matching.h"

#include <QDateTime>
#include <memory>

namespace qvl {

class Database;
class Transaction;

struct ApplyResult {
    int entries = 0;   // entries recorded
    int payments = 0;  // payments and returns recorded
    int feesCleared = 0, feesPaid = 0; // stored fees changed
};

// A statement (or notification) of a reading, as it is recorded once applied.
struct StatementRead {
    QString account;
    bool notification = false; // camt.054
    QString id;                 // BankEntry::statementId
    QString file;               // where it was read
    int entries = 0;            // its booked entries
    QDateTime read;             // when it was applied (read from the register)
    QString firstEntry;         // firstEntryDigest of its first entry
    QString key() const;        // as BankEntry::statementKey, with the first entry's digest
};

// What tells a statement apart from another the bank gave the same id: its first entry.
QString firstEntryDigest(const BankEntry &entry);
inline QString statementKey(const BankEntry &entry)
{
    return entry.statementKey() + u'|' + firstEntryDigest(entry);
}

// Begins the transaction and reads the register in it; apply() books one part of a reading
// after another, commit() records the statements and makes all of it lasting. Destroyed
// without commit(), nothing is changed. Throws DbError.
class MatchingApplier {
public:
    explicit MatchingApplier(Database &db, QDateTime now = QDateTime::currentDateTime());
    ~MatchingApplier();
    MatchingApplier(const MatchingApplier &) = delete;
    MatchingApplier &operator=(const MatchingApplier &) = delete;

    // The register as the transaction sees it, for matching against the same state.
    const QList<RegisteredDocument> &documents() const { return m_documents; }
    const QList<RecordedPayment> &payments() const { return m_payments; }
    // The balances as this transaction's parts have left them (before the first: as read).
    const OpenBalances &balances() const { return *m_balances; }

    void apply(const Matching &matching);
    ApplyResult commit(const QList<StatementRead> &statements = {});

private:
    Database &m_db;
    QDateTime m_now;
    std::unique_ptr<Transaction> m_transaction;
    QList<RegisteredDocument> m_documents;
    QList<RecordedPayment> m_payments;
    std::unique_ptr<OpenBalances> m_balances;
    qint64 m_entryId = 0;
    ApplyResult m_result;
};

// Throws DbError; nothing is changed then.
ApplyResult applyMatching(Database &db, const Matching &matching, const QList<StatementRead> &statements = {},
                          const QDateTime &now = QDateTime::currentDateTime());

// BankEntry::key() of every entry applied before (empty without a register).
EntryKeys keysRead(Database &db);

// The statements applied before, by StatementRead::key (empty without a register).
QHash<QString, StatementRead> statementsRead(Database &db);

} // namespace qvl
