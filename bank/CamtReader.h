#pragma once
// Reads the bank's camt files: camt.053 account statements and camt.054 debit/credit
// notifications in the versions 001.02 and 001.08, as single XML files (UTF-8 or UTF-16)
// or as ZIP archives of them (as savings banks deliver them). Each document is checked
// against its ISO 20022 schema while it is read, as a stream: no document is kept in
// memory, only the entries; the first error ends the reading. A file that is no such
// message, fails its schema or holds an amount with more decimals than its currency has
// is refused with a German message naming the file and the line; nothing of it is used.

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

// Reads the files (XML or ZIP) in order. Entries that are not booked (pending) are left out.
CamtReading readCamtFiles(const QStringList &paths);

// One document from a source of bytes: `read` fills the buffer and returns the bytes read,
// 0 at the end, -1 on a read error. Appends its booked entries to `entries`; returns the
// refusal message, empty when the document was read.
QString readCamtDocument(const QString &name, const std::function<qint64(char *, qint64)> &read,
                         QList<BankEntry> &entries, CamtDocument *document = nullptr);

// Exact amounts as the schema writes them (xs:decimal: a sign, "10.", ".5"):
// "1234.5" → 123450 cents; std::nullopt when it is no amount, is below zero or has more
// decimals than the currency's (`decimals`, 2 for the euro) that are not zero.
std::optional<qint64> camtCents(QStringView text, int decimals = 2);

// The decimals of an ISO 4217 currency (2 unless known otherwise).
int currencyDecimals(const QString &currency);

} // namespace qvl
