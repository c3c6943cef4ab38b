#pragma once
// The statements of PERSONAL_MG_BEITRAGE, per dialect. Values are always bound.
//
// The run key is SQL Server's jahr + ' ' + TYP + ', Erstellt: ' + the creation time cast
// to nvarchar(11), which is the default short date "Dec  5 2026". The embedded database
// builds the same text from its ISO time stamp; as on SQL Server, a NULL part gives a
// NULL key.

#include "db/Database.h"

namespace qvl::stored_fees_sql {

#define QVL_RUN_KEY_SQLSERVER "jahr + ' ' + TYP + ', Erstellt: ' + cast(datum_erstellt as nvarchar(11))"
#define QVL_RUN_KEY_SQLITE                                                                       \
    "jahr || ' ' || typ || ', Erstellt: ' "                                                      \
    "|| substr('JanFebMarAprMayJunJulAugSepOctNovDec', strftime('%m', datum_erstellt) * 3 - 2, 3) " \
    "|| ' ' || substr(' ' || (strftime('%d', datum_erstellt) + 0), -2) "                          \
    "|| ' ' || strftime('%Y', datum_erstellt)"

// The run's delete and insert ask SQL Server for row locks: a run of 100,000 owners holds
// its rows until the one commit, and readers of the suite's other rows must not wait for it.
// Each statement touches one owner's rows, far below the 5,000 locks at which SQL Server
// escalates a statement's locks to the table.
// Bound: id_personal, jahr, the type's first 50 characters (as the insert stores it).
inline constexpr DialectSql kDeleteOwnerFee{
    u"delete from  PERSONAL_MG_BEITRAGE with (rowlock) where id_personal = ? and jahr = ? and isnull(typ,'') = ? ",
    u"delete from PERSONAL_MG_BEITRAGE where id_personal = ? and jahr = ? and ifnull(typ,'') = ? "};

// SQL Server bound: id_personal, jahr, betrag, the two dates as dd.mm.yyyy, typ, r_name, iban.
// SQLite bound: id_personal, jahr, betrag, datum_erstellt, the two dates as ISO text, typ,
// r_name, iban.
inline constexpr DialectSql kInsertFee{
    u"insert into PERSONAL_MG_BEITRAGE with (rowlock) (id_personal, jahr, betrag, datum_erstellt, datum_verrechnet, "
    u"datum_bezahlt, typ, r_name, iban) \r values(?, ?, ?, getdate(), convert(smalldatetime, ?,104), "
    u"convert(smalldatetime, ?,104), left(?,50), ?, ? )",
    u"insert into PERSONAL_MG_BEITRAGE (id_personal, jahr, betrag, datum_erstellt, datum_verrechnet, "
    u"datum_bezahlt, typ, r_name, iban) \r values(?, ?, ?, ?, ?, ?, substr(?,1,50), ?, ? )"};

inline constexpr DialectSql kListRuns{
    u"select " QVL_RUN_KEY_SQLSERVER " \r from PERSONAL_MG_BEITRAGE group by " QVL_RUN_KEY_SQLSERVER " ",
    u"select " QVL_RUN_KEY_SQLITE " \r from PERSONAL_MG_BEITRAGE group by " QVL_RUN_KEY_SQLITE " "};

// Bound: the run key.
inline constexpr DialectSql kDeleteRun{
    u"delete from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLSERVER " = \r ? ",
    u"delete from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLITE " = \r ? "};

// How many stored fees a run key holds. Bound: the run key.
inline constexpr DialectSql kCountRun{
    u"select count(*) from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLSERVER " = \r ? ",
    u"select count(*) from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLITE " = \r ? "};

// In association mode a run covers only the selected association's owners: two
// associations billed on the same day share a run key. The association number is bound
// twice, as the member query binds it: four digits with leading zeros, and plain.
#define QVL_OWNERS_SQLSERVER " id_personal in (select id_personal from personal where zusatz5 = ? or zusatz5 = ?) "
#define QVL_OWNERS_SQLITE \
    " id_personal in (select id_personal from personal where rtrim(zusatz5) = ? or rtrim(zusatz5) = ?) "

inline constexpr DialectSql kListRunsOfAssociation{
    u"select " QVL_RUN_KEY_SQLSERVER " \r from PERSONAL_MG_BEITRAGE where" QVL_OWNERS_SQLSERVER
    "group by " QVL_RUN_KEY_SQLSERVER " ",
    u"select " QVL_RUN_KEY_SQLITE " \r from PERSONAL_MG_BEITRAGE where" QVL_OWNERS_SQLITE
    "group by " QVL_RUN_KEY_SQLITE " "};

// Bound: the run key, then the association number twice.
inline constexpr DialectSql kDeleteRunOfAssociation{
    u"delete from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLSERVER " = \r ? and" QVL_OWNERS_SQLSERVER,
    u"delete from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLITE " = \r ? and" QVL_OWNERS_SQLITE};

// Bound: the run key, then the association number twice.
inline constexpr DialectSql kCountRunOfAssociation{
    u"select count(*) from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLSERVER " = \r ? and" QVL_OWNERS_SQLSERVER,
    u"select count(*) from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLITE " = \r ? and" QVL_OWNERS_SQLITE};

// The fees stored for a year and type, per owner, with the owner's number and name: what
// the check before a run compares the run with, in one grouped query. Grouped by the owner
// alone (in the order of the table's owner index), then joined with the owners' rows.
// Bound: jahr, the type's first 50 characters.
#define QVL_FEES_OF_YEAR(ISNULL, OWNERS)                                                       \
    "select s.id_personal, p.Nummer, p.Name, p.Vorname, s.betrag from (select id_personal, "  \
    "sum(betrag) as betrag from PERSONAL_MG_BEITRAGE where jahr = ? and " ISNULL "(typ,'') = ? " \
    OWNERS "group by id_personal) s left join personal p on p.id_personal = s.id_personal"

inline constexpr DialectSql kFeesOfYear{u"" QVL_FEES_OF_YEAR("isnull", ""),
                                        u"" QVL_FEES_OF_YEAR("ifnull", "")};

// The same for the owners of one association. Bound: jahr, type, the association number
// twice.
inline constexpr DialectSql kFeesOfYearOfAssociation{u"" QVL_FEES_OF_YEAR("isnull", "and" QVL_OWNERS_SQLSERVER),
                                                     u"" QVL_FEES_OF_YEAR("ifnull", "and" QVL_OWNERS_SQLITE)};

// The owners whose fees a run holds: the sending finds the run's mails by them. Bound: the
// run key.
inline constexpr DialectSql kOwnersOfRun{
    u"select distinct id_personal from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLSERVER " = \r ? ",
    u"select distinct id_personal from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLITE " = \r ? "};

// Bound: the run key, then the association number twice.
inline constexpr DialectSql kOwnersOfRunOfAssociation{
    u"select distinct id_personal from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLSERVER " = \r ? and"
        QVL_OWNERS_SQLSERVER,
    u"select distinct id_personal from PERSONAL_MG_BEITRAGE where " QVL_RUN_KEY_SQLITE " = \r ? and"
        QVL_OWNERS_SQLITE};

// The invoice numbers of the stored fees of a year and type, with their owners: whether a
// run's fees are still stored. Bound: jahr, the type's first 50 characters.
inline constexpr DialectSql kFeeNumbersOfYear{
    u"select id_personal, r_name from PERSONAL_MG_BEITRAGE where jahr = ? and isnull(typ,'') = ?",
    u"select id_personal, r_name from PERSONAL_MG_BEITRAGE where jahr = ? and ifnull(typ,'') = ?"};

#undef QVL_FEES_OF_YEAR
#undef QVL_RUN_KEY_SQLSERVER
#undef QVL_RUN_KEY_SQLITE
#undef QVL_OWNERS_SQLSERVER
#undef QVL_OWNERS_SQLITE

} // namespace qvl::stored_fees_sql
