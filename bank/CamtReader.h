#pragma once
// Reads the bank's camt files: camt.053 account statements and camt.054 debit/credit
// notifications in the versions 001.02 and 001.08, as single XML files or as ZIP archives
// of them (as savings banks deliver them). Each document is checked against its ISO 20022
// schema while it is read, as a stream: no document is kept in memory, only the entries.
// A file that is no such message or fails its schema is refused with a German message
// naming the file and the line; nothing of it is used.

#include "bank/BankEntry.h"

#include <QStringList>
#include <functional>

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

// Exact amounts: "1234.5" → 123450 cents; std::nullopt when it is no amount.
std::optional<qint64> camtCents(QStringView text);

} // namespace qvl
