#pragma once
// Builds the bank's camt documents for the tests, in each of the four messages the program
// reads, as a bank would write them.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace qvl::test {

struct TestTransaction {
    qint64 cents = 0;
    qint64 originalCents = 0;  // AmtDtls/InstdAmt
    QString endToEndId, mandateId;
    QString name, iban;        // the debtor (payer, or the owner of a returned debit)
    QStringList remittance;    // Ustrd lines
    QString returnCode;        // a return when not empty
    qint64 chargeCents = 0;
    bool amountDetails = true; // AmtDtls written
    QString creditorId{};      // RltdPties/Cdtr's id (our own debits)
    QString creditorReference{}; // RmtInf/Strd/CdtrRefInf/Ref
};

struct TestEntry {
    qint64 cents = 0;
    bool credit = true;
    QDate booked;
    QString reference;         // AcctSvcrRef
    QString batchMessageId;    // NtryDtls/Btch
    int batchCount = 0;
    QList<TestTransaction> transactions;
    QString currency = QStringLiteral("EUR");
    bool bookingDate = true;   // BookgDt written (ValDt always)
    bool reversal = false;     // RvslInd
    QString bankCode{};        // "PMNT/RDDT/UPDD"; empty: as the entry's kind has it
    QString proprietaryCode{}; // BkTxCd/Prtry/Cd ("NDDT+109+00900")
    qint64 chargeCents = 0;    // Ntry/Chrgs
};

inline const QString kOurAccount = QStringLiteral("DE02120300000000202051");

// message: "camt.053.001.02", "camt.053.001.08", "camt.054.001.02", "camt.054.001.08".
// Without a statement id, the id is made from the entries: the same entries, the same id.
QByteArray camtDocument(const QString &message, const QList<TestEntry> &entries,
                        const QString &account = kOurAccount, const QString &statementId = {});

// A ZIP archive of named members.
bool writeZip(const QString &path, const QList<QPair<QString, QByteArray>> &members);

} // namespace qvl::test
