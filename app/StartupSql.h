#pragma once
// The statements of the start-up and of the creditor selection, per dialect.

#include "db/Database.h"

namespace qvl::startup_sql {

inline constexpr DialectSql kFeeNames{
    u"select * from strings where id_string IN (3019, 3020, 3021, 3022, 3023) order by id_string",
    u"select * from strings where id_string IN (3019, 3020, 3021, 3022, 3023) order by id_string"};

inline constexpr DialectSql kAssociations{
    u"select id_personal, Nummer, Name from Personal where sonstiger = 1 order by nummer",
    u"select id_personal, Nummer, Name from personal where sonstiger = 1 order by Nummer"};

inline constexpr DialectSql kClients{
    u"select id_personal, Nummer, Name from Personal where mandanten = 1 order by nummer",
    u"select id_personal, Nummer, Name from personal where mandanten = 1 order by Nummer"};

// The creditor's Nummer is bound.
inline constexpr DialectSql kCreditor{
    u"SELECT * from personal where Nummer = ?",
    u"SELECT * from personal where Nummer = ?"};

} // namespace qvl::startup_sql
