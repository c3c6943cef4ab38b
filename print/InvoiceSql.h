#pragma once
// The statement of the invoice printing, per dialect: the association's own row, whose
// name heads the letters in association mode.

#include "platform/Database.h"

namespace qvl::invoice_sql {

inline constexpr DialectSql kAssociation{
    u"SELECT * from personal where Nummer = ?",
    u"SELECT * from personal where Nummer = ?",
};

} // namespace qvl::invoice_sql
