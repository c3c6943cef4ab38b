#pragma once
// A reading of the bank's files from the first byte to the register: the entries are
// streamed from the reader into the matching and, when applied, into the register part by
// part within one transaction, so that a statement of any size costs the memory of one
// part. A statement (or notification) applied before — the same account, kind, id and
// sequence number — is skipped as a whole and named, as is one that stands twice in the
// same reading; its entries are neither listed nor counted.

#include "bank/ApplyMatches.h"
#include "bank/CamtReader.h"

#include <QMap>
#include <functional>
#include <optional>

namespace qvl {

class Database;

struct StatementImportRequest {
    QStringList paths;
    MatchingOptions options;
    QMap<int, qint64> assignments; // the clerk's: entry number (from 1, as listed) → document
    bool apply = false;            // apply when every file was read and every assignment made
    QDateTime now = QDateTime::currentDateTime();
    int partSize = 2000;           // entries matched (and applied) together
};

struct StatementImport {
    QStringList refused;           // one German message per refused file
    QStringList skipped;           // one German message per statement read before
    QStringList assignErrors;      // assignments that could not be made
    QList<StatementRead> statements; // those read, not skipped
    MatchCounts counts{};
    int entries = 0;               // listed
    std::optional<ApplyResult> applied; // when applied
};

// Reads, matches and (when asked) applies; `part` gets each part of the matching as it is
// made (before it is applied), numbered on through the reading (Matching::first). Nothing
// is applied when a file is refused or an assignment fails. Throws DbError; nothing is
// changed then.
StatementImport importStatements(Database &db, const StatementImportRequest &request,
                                 const std::function<void(Matching &)> &part);

} // namespace qvl
