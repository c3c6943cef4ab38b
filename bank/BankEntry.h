#pragma once
// What the bank's statements say, as read from camt.053 account statements and camt.054
// debit/credit notifications: one entry per booking on the account, with the single
// transactions it holds (one for a transfer, one per debit of a batch booked one by one,
// a return's original debit).

#include <QDate>
#include <QList>
#include <QString>

namespace qvl {

struct BankTransaction {
    qint64 cents = 0;         // this transaction's amount; the entry's when it has no details
    qint64 originalCents = 0; // the instructed amount (a return: the original debit), 0 when not given
    qint64 txAmountCents = 0; // AmtDtls/TxAmt, 0 when not given
    bool amountGiven = false; // cents was written for the transaction, not taken from the entry
    QString endToEndId;       // our debits: the mandate reference
    QString mandateId;
    QString messageId, paymentInfoId; // the original file's ids
    QString creditorId;       // a direct debit's creditor id (ours, on our own debits)
    QString name;             // the other party (the payer of a transfer, the debtor of a returned debit)
    QString iban;             // his account
    QString remittance;       // the remittance lines, joined by line breaks
    QString structuredReference; // CdtrRefInf/Ref (an RF reference, as a rule)
    bool isReturn = false;    // return information present
    QString returnCode;       // ISO reason code ("AC04", "MD06" …)
    QString returnInfo;       // the bank's additional text
    qint64 chargeCents = 0;   // the bank's charges for this transaction
    QString bankCode;         // the transaction's own bank transaction code, as the entry's
};

struct BankEntry {
    QString file;             // where it was read: "auszug.xml" or "archiv.zip:auszug.xml"
    int line = 0;
    QString account;          // our account's IBAN
    QString accountCurrency;  // the account's currency as the statement names it (empty: not named)
    QString currency = QStringLiteral("EUR"); // the entry's amount's currency
    qint64 cents = 0;         // always positive; see credit
    bool credit = true;       // CRDT: money came in; DBIT: money went out (a return)
    bool reversal = false;
    QDate booked;             // BookgDt, else ValDt, else the statement's date
    QDate valued;
    QString reference;        // the bank's reference of the entry (AcctSvcrRef, else NtryRef)
    QString statementId;      // Stmt/Id or Ntfctn/Id, with the electronic sequence number
    bool notification = false; // from a camt.054 notification (Ntfctn), not a statement
    int position = 0;         // the entry's place in its statement, from 1
    // The bank transaction code: "PMNT/RCDT/ESCT" (domain, family, sub-family), and the
    // proprietary one ("NTRF+166+00931" with the German GVC).
    QString bankCode, proprietaryCode;
    QString batchMessageId, batchPaymentInfoId; // a batch booked as one entry
    int batchCount = 0;
    qint64 chargeCents = 0;   // charges given for the entry as a whole
    QString information;      // the additional entry text
    QList<BankTransaction> transactions; // at least one

    // True when the bank gave a reference that names this entry alone (not "NONREF").
    bool hasBankReference() const;
    // What names the entry beside account, date, amount and direction: the bank's
    // reference when it gives one, else the statement, the entry's place in it and a hash
    // of its texts, so that two equal payments of one day stay two.
    QString identity() const;
    // The entry's identity, the same however often a statement is read.
    QString key() const;
    bool foreignCurrency() const;
    // The statement (or notification) the entry stands in, as the bank names it: account,
    // kind and id with its sequence number. A statement read twice has the same.
    QString statementKey() const;
};

} // namespace qvl

Q_DECLARE_TYPEINFO(qvl::BankTransaction, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(qvl::BankEntry, Q_RELOCATABLE_TYPE);
