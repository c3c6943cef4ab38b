#pragma once
// One of the program's own tables beside the suite's: what the module that keeps it hands
// to the program's list of own tables (see ledger/OwnTables).

#include "db/Database.h"

#include <QList>
#include <QString>

namespace qvl {

// A column the table gained after its first version: a table made before lacks it until it
// is added (CREATE TABLE already has it).
struct OwnColumn {
    QString name;
    DialectSql add; // its ALTER TABLE … ADD in both dialects
};

struct OwnTable {
    QString name;      // the table's name, also what its existence is checked by
    DialectSql create; // its CREATE TABLE in both dialects
    const DialectSql *index = nullptr; // a CREATE INDEX run right after it, if any
    QList<OwnColumn> added = {};
};

} // namespace qvl
