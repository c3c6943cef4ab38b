#pragma once
// Matches the bank's entries to the register before anything is changed: the credit of
// one of our direct-debit files confirms its debits, a returned debit finds its fee notice
// by the mandate reference (our end-to-end id), a transfer finds its invoice by the number
// in its remittance text, else by the payer's IBAN and amount, else by name and amount.
// What fits several documents is listed as ambiguous and never guessed; an entry already
// applied is never counted again.

#include "bank/BankEntry.h"
#include "bank/OpenBalances.h"
#include "bank/Register.h"
#include "bank/RemittanceNumbers.h"

#include <QHash>
#include <QSet>

namespace qvl {

enum class MatchKind {
    BatchCredit, // our direct-debit file credited: its debits collected
    Returned,    // a returned debit
    Paid,        // a transfer paying a document exactly
    PartlyPaid,  // less than open
    OverPaid,    // more than open (also a document paid twice)
    SeveralPaid, // one transfer for several documents
    Ambiguous,   // fits several documents: for the clerk
    Unmatched,   // fits no document
    AlreadyRead  // applied before (same account, reference, date, amount)
};

struct Match {
    int entry = 0; // index into the entries
    MatchKind kind = MatchKind::Unmatched;
    QList<Assignment> assignments;
    QList<qint64> candidates; // Ambiguous: the documents it fits
    QString note;             // German: how it was matched, or why not
};

struct Matching {
    QList<BankEntry> entries;
    QList<Match> matches;

    int count(MatchKind kind) const;
    // Matches that change the register when applied.
    bool applicable(const Match &match) const;
};

// keysRead: BankEntry::key() of the entries applied before.
Matching matchEntries(QList<BankEntry> entries, const QList<RegisteredDocument> &documents,
                      const QList<RecordedPayment> &payments, const QSet<QString> &keysRead);

// The clerk's own assignment of an unmatched or ambiguous entry to a document. False (with
// a German reason) when the number is not registered or the entry is no incoming payment.
bool assignByHand(Matching &matching, int matchIndex, qint64 number, const OpenBalances &balances,
                  QString *error);

// "Rücklastschrift", "bezahlt", "teilweise bezahlt" …
QString matchKindText(MatchKind kind);

} // namespace qvl
