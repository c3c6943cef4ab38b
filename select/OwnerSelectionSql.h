#pragma once
// The statements of the owner selection, per dialect: a base, the payment type's condition,
// the association's condition (its number bound twice: with and without leading zeros), and
// the order.

#include "db/Database.h"

namespace qvl::owner_selection_sql {

// Owners without a number cannot be restricted to, so they are not listed.
inline constexpr DialectSql kOwners{
    u"select Personal.id_personal, Nummer, Name, Vorname from Personal inner join personal_free on "
    u"personal.id_personal = personal_free.id_personal where abrech1 = 1 and Nummer is not null ",
    u"select personal.id_personal, Nummer, Name, Vorname from personal inner join personal_free on "
    u"personal.id_personal = personal_free.id_personal where abrech1 = 1 and Nummer is not null "};

inline constexpr DialectSql kDirectDebit{u" and BoxFree1 = 1", u" and BoxFree1 = 1"};
inline constexpr DialectSql kInvoice{u" and BoxFree2 = 1", u" and BoxFree2 = 1"};

inline constexpr DialectSql kAssociation{u" and (zusatz5 = ? or zusatz5 = ?)", u" and (zusatz5 = ? or zusatz5 = ?)"};

inline constexpr DialectSql kOrderByNumber{u" order by Nummer ", u" order by Nummer "};
// SQLite sorts names by character codes; the list is put into German order afterwards.
inline constexpr DialectSql kOrderByName{u" order by Name, Vorname, Personal.id_personal ",
                                         u" order by Name, Vorname, personal.id_personal "};

} // namespace qvl::owner_selection_sql
