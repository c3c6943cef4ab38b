#pragma once
// The statement of the letters' values read from the form, per dialect: the association's
// own row, whose name heads the letters in association mode.

#include "db/Database.h"

namespace qvl::invoice_sql {

inline constexpr DialectSql kAssociation{
    u"SELECT * from personal where Nummer = ?",
    u"SELECT * from personal where Nummer = ?",
};

} // namespace qvl::invoice_sql
