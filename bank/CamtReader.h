#pragma once
// Reads the bank's camt files: camt.053 account statements and camt.054 debit/credit
// notifications in the versions 001.02 and 001.08, as single XML files (UTF-8 or UTF-16)
// or as ZIP archives of them (as savings banks deliver them). Each document is checked
// against its ISO 20022 schema while it is read, as a stream: no document is kept in
// memory; each booked entry is handed on as soon as it is read, so that a statement of any
// size costs the memory of one entry. The first error ends the reading. A file that is no
// such message, fails its schema or holds an amount with more decimals than its currency
// has is refused with a German message naming the file and the line; nothing of it may be
// used (what was handed on of it before is void).

#include "bank/BankEntry.h"

#include <QStringList>
#include <functional>
#include <optional>

namespace qvl {

struct CamtDocument {
    QString file;     // as BankEntry::file
    QString message;  // "camt.053.001.08"
    int entries = 0;  // booked entries read
};

struct CamtReading {
    QList<BankEntry> entries;
    QList<CamtDocument> documents;
    QStringList refused; // one German message per refused file
};

// Where a stream of documents goes: each booked entry as it is read, then the document's
// end — read whole, or refused (its entries handed on before are void then).
struct CamtSink {
    std::function<void(BankEntry &&)> entry;
    std::function<void(const CamtDocument &)> document;
    std::function<void(const QString &)> refused; // the German message
};

// Reads the files (XML or ZIP) in order into the sink. Entries that are not booked
// (pending) are left out.
void readCamtFiles(const QStringList &paths, const CamtSink &sink);
// The same, kept in memory: the entries of the documents read whole.
CamtReading readCamtFiles(const QStringList &paths);

// One document from a source of bytes: `read` fills the buffer and returns the bytes read,
// 0 at the end, -1 on a read error. Hands its booked entries to `entry`; returns the
// refusal message, empty when the document was read whole.
QString readCamtDocument(const QString &name, const std::function<qint64(char *, qint64)> &read,
                         const std::function<void(BankEntry &&)> &entry, CamtDocument *document = nullptr);
QString readCamtDocument(const QString &name, const std::function<qint64(char *, qint64)> &read,
                         QList<BankEntry> &entries, CamtDocument *document = nullptr);

// Exact amounts as the schema writes them (xs:decimal: a sign, "10.", ".5"):
// "1234.5" → 123450 cents; std::nullopt when it is no amount, is below zero or has more
// decimals than the currency's (`decimals`, 2 for the euro) that are not zero.
std::optional<qint64> camtCents(QStringView text, int decimals = 2);

// The decimals of an ISO 4217 currency (2 unless known otherwise).
int currencyDecimals(const QString &currency);

} // namespace qvl
