#pragma once
// One of the program's own tables beside the suite's: what the module that keeps it hands
// to the program's list of own tables (see run/OwnTables).

#include "platform/Database.h"

#include <QString>

namespace qvl {

struct OwnTable {
    QString name;      // the table's name, also what its existence is checked by
    DialectSql create; // its CREATE TABLE in both dialects
    const DialectSql *index = nullptr; // a CREATE INDEX run right after it, if any
};

} // namespace qvl
