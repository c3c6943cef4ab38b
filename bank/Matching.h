#pragma once
// Matches the bank's entries to the register before anything is changed: the credit of
// one of our direct-debit files confirms its debits (found by the file's ids, else by our
// mandate references or creditor id: such a credit is never taken for a transfer), a
// returned debit finds its fee notice by the mandate reference (our end-to-end id), a
// transfer finds its invoice by its RF reference, by the reference in its remittance text
// (see RemittanceNumbers), else by the payer's IBAN and amount, else by name and amount; a
// reversal undoes the payment it reverses. What fits several documents is listed as
// ambiguous and never guessed, a reference to another owner's document than the payer's is
// listed for the clerk, an amount in another currency is never applied; an entry already
// applied is never counted again.

#include "bank/BankEntry.h"
#include "bank/OpenBalances.h"
#include "bank/Register.h"
#include "bank/RemittanceNumbers.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <array>
#include <memory>
#include <unordered_set>
#include <vector>

namespace qvl {

enum class MatchKind {
    BatchCredit, // our direct-debit file credited: its debits collected
    Returned,    // a returned debit
    Paid,        // a transfer paying a document exactly
    PartlyPaid,  // less than open
    OverPaid,    // more than open (also a document paid twice)
    SeveralPaid, // one transfer for several documents
    Reversed,    // a reversal: the payment it reverses is undone
    Ambiguous,   // fits several documents: for the clerk
    Disputed,    // the text names another owner's document than the payer's: for the clerk
    Foreign,     // in another currency: never applied
    Unmatched,   // fits no document
    AlreadyRead  // applied before (same identity: BankEntry::key)
};

struct Match {
    int entry = 0; // index into the entries
    MatchKind kind = MatchKind::Unmatched;
    QList<Assignment> assignments;
    QList<qint64> candidates; // Ambiguous, Disputed: the documents it fits
    QString how;              // German: why it was matched ("Referenz RF40 1001", "IBAN und Betrag" …)
    QString note;             // German: what else the clerk should know, or why it was not matched
};

// What the matching knows of the association beside the register.
struct MatchingOptions {
    QStringList markers; // words before a reference beside the usual ones (the remittance prefix)
    QString creditorId;  // the association's creditor id: a credit naming it is one of our debits
};

// A reading's matches, whole or a part of it (a statement of any size is matched and
// applied part by part).
struct Matching {
    QList<BankEntry> entries;
    QList<Match> matches;
    QHash<qint64, QString> owners; // the owner of each document assigned or listed
    int first = 0;                 // the entries of the reading before this part

    int count(MatchKind kind) const;
    // Matches that change the register when applied.
    bool applicable(const Match &match) const;
};

inline constexpr int kMatchKinds = int(MatchKind::AlreadyRead) + 1;
using MatchCounts = std::array<int, kMatchKinds>;

// The identities (BankEntry::key) of the entries applied before and of those a reading met,
// kept as 128-bit digests in sorted lists (and the newest few in a hash set): years of
// entries cost 16 bytes each, and two different keys never meet in one digest in practice.
class EntryKeys {
public:
    EntryKeys() = default;
    EntryKeys(std::initializer_list<QString> keys);
    EntryKeys(const QSet<QString> &keys); // NOLINT: a set of keys is one
    // False when the key was known already.
    bool insert(const QString &key);
    bool contains(const QString &key) const;
    qsizetype size() const;

private:
    struct Digest {
        quint64 high = 0, low = 0;
        auto operator<=>(const Digest &) const = default;
    };
    struct DigestHash {
        std::size_t operator()(const Digest &d) const { return std::size_t(d.low); }
    };
    static Digest digest(const QString &key);
    bool known(const Digest &d) const;
    // Sorted runs of 65,536 digests each, never merged: no list is ever copied.
    std::vector<std::vector<Digest>> m_runs;
    std::unordered_set<Digest, DigestHash> m_recent;
};

class Matcher;

// Matching entry by entry, against the balances as the entries before left them.
class MatchingStream {
public:
    MatchingStream(const QList<RegisteredDocument> &documents, const QList<RecordedPayment> &payments,
                   EntryKeys keysRead, const MatchingOptions &options = {});
    // From balances as they stand (shares their index of the documents).
    MatchingStream(OpenBalances balances, EntryKeys keysRead, const MatchingOptions &options = {});
    ~MatchingStream();
    MatchingStream(const MatchingStream &) = delete;
    MatchingStream &operator=(const MatchingStream &) = delete;

    // Matches the entry and appends it and its match to `matching`.
    void add(Matching &matching, BankEntry &&entry);
    // The clerk's assignment (see assignByHand) of one of `matching`'s entries, against
    // the balances of this reading: what the entry booked before is taken back.
    bool assign(Matching &matching, int matchIndex, qint64 number, QString *error);
    const OpenBalances &balances() const { return m_balances; }

private:
    OpenBalances m_balances;
    EntryKeys m_seen;
    std::unique_ptr<Matcher> m_matcher;
};

// keysRead: BankEntry::key() of the entries applied before.
Matching matchEntries(QList<BankEntry> entries, const QList<RegisteredDocument> &documents,
                      const QList<RecordedPayment> &payments, const EntryKeys &keysRead,
                      const MatchingOptions &options = {});

// The clerk's own assignment of an unmatched, ambiguous or disputed entry to a document: an
// incoming payment to any document, a returned debit to a direct debit. False (with a
// German reason) when the number is not registered or the entry can be assigned to none.
bool assignByHand(Matching &matching, int matchIndex, qint64 number, const OpenBalances &balances,
                  QString *error);

// "Rücklastschrift", "bezahlt", "teilweise bezahlt" …
QString matchKindText(MatchKind kind);

} // namespace qvl
