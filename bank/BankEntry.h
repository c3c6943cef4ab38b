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
    QString endToEndId;       // our debits: the mandate reference
    QString mandateId;
    QString messageId, paymentInfoId; // the original file's ids
    QString name;             // the other party (the payer of a transfer, the debtor of a returned debit)
    QString iban;             // his account
    QString remittance;       // the remittance lines, joined by line breaks
    bool isReturn = false;    // return information present
    QString returnCode;       // ISO reason code ("AC04", "MD06" …)
    QString returnInfo;       // the bank's additional text
    qint64 chargeCents = 0;   // the bank's charges for this transaction
};

struct BankEntry {
    QString file;             // where it was read: "auszug.xml" or "archiv.zip:auszug.xml"
    int line = 0;
    QString account;          // our account's IBAN
    qint64 cents = 0;         // always positive; see credit
    bool credit = true;       // CRDT: money came in; DBIT: money went out (a return)
    bool reversal = false;
    QDate booked;
    QString reference;        // the bank's reference of the entry (AcctSvcrRef, else NtryRef)
    QString batchMessageId, batchPaymentInfoId; // a batch booked as one entry
    int batchCount = 0;
    qint64 chargeCents = 0;   // charges given for the entry as a whole
    QString information;      // the additional entry text
    QList<BankTransaction> transactions; // at least one

    // The entry's identity, the same however often a statement is read.
    QString key() const;
};

} // namespace qvl
