#pragma once
// The statements of the program's own table QVL32_SEPA_BEITRAGSARTEN, per dialect. It
// holds, for every fee a direct-debit run stored in PERSONAL_MG_BEITRAGE, which of the
// form's fee slots (1 to 5) that fee collected: the stored fee's text joins the captions
// of the ticked fees and cannot be taken apart again. Its business year is kept trimmed.

#include "db/Database.h"

namespace qvl::fee_slot_sql {

inline constexpr DialectSql kTableExists{
    u"select count(*) from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA = 'dbo' and TABLE_NAME = 'QVL32_SEPA_BEITRAGSARTEN'",
    u"select count(*) from sqlite_master where type = 'table' and name = 'QVL32_SEPA_BEITRAGSARTEN'"};

inline constexpr DialectSql kCreateTable{
    u"create table dbo.QVL32_SEPA_BEITRAGSARTEN (id_personal int not null, jahr nvarchar(20) not null, "
    u"typ nvarchar(50) not null, beitrag smallint not null, erstellt datetime not null default getdate())",
    u"create table QVL32_SEPA_BEITRAGSARTEN (id_personal integer not null, jahr text not null, typ text not null, "
    u"beitrag integer not null, erstellt text not null default current_timestamp)"};

inline constexpr DialectSql kCreateIndex{
    u"create index QVL32_SEPA_BEITRAGSARTEN_JAHR on QVL32_SEPA_BEITRAGSARTEN (jahr, id_personal)",
    u"create index QVL32_SEPA_BEITRAGSARTEN_JAHR on QVL32_SEPA_BEITRAGSARTEN (jahr, id_personal)"};

// Bound: id_personal, the trimmed year, the type's first 50 characters.
inline constexpr DialectSql kDeleteOwner{
    u"delete from dbo.QVL32_SEPA_BEITRAGSARTEN where id_personal = ? and jahr = ? and typ = ?",
    u"delete from QVL32_SEPA_BEITRAGSARTEN where id_personal = ? and jahr = ? and typ = ?"};

// Bound: id_personal, the trimmed year, the type's first 50 characters, the slot (1 to 5).
inline constexpr DialectSql kInsert{
    u"insert into dbo.QVL32_SEPA_BEITRAGSARTEN (id_personal, jahr, typ, beitrag) values (?, ?, ?, ?)",
    u"insert into QVL32_SEPA_BEITRAGSARTEN (id_personal, jahr, typ, beitrag) values (?, ?, ?, ?)"};

// The recorded slots of a year whose stored fee still exists, with the fee's creation time.
// Bound: the trimmed year.
inline constexpr DialectSql kRecordedSlots{
    u"select s.id_personal, s.beitrag, s.typ, max(p.datum_erstellt) from dbo.QVL32_SEPA_BEITRAGSARTEN s "
    u"join PERSONAL_MG_BEITRAGE p on p.id_personal = s.id_personal and ltrim(rtrim(p.jahr)) = s.jahr "
    u"and isnull(p.typ,'') = s.typ where s.jahr = ? group by s.id_personal, s.beitrag, s.typ",
    u"select s.id_personal, s.beitrag, s.typ, max(p.datum_erstellt) from QVL32_SEPA_BEITRAGSARTEN s "
    u"join PERSONAL_MG_BEITRAGE p on p.id_personal = s.id_personal and trim(p.jahr) = s.jahr "
    u"and ifnull(p.typ,'') = s.typ where s.jahr = ? group by s.id_personal, s.beitrag, s.typ"};

// The stored fees of a year without a record of their slots (stored before the record was
// kept, or by another program). Bound: the trimmed year.
inline constexpr DialectSql kUnrecordedFees{
    u"select p.id_personal, isnull(p.typ,''), p.datum_erstellt from PERSONAL_MG_BEITRAGE p "
    u"where ltrim(rtrim(p.jahr)) = ? and not exists (select 1 from dbo.QVL32_SEPA_BEITRAGSARTEN s "
    u"where s.id_personal = p.id_personal and s.jahr = ltrim(rtrim(p.jahr)) and s.typ = isnull(p.typ,''))",
    u"select p.id_personal, ifnull(p.typ,''), p.datum_erstellt from PERSONAL_MG_BEITRAGE p "
    u"where trim(p.jahr) = ? and not exists (select 1 from QVL32_SEPA_BEITRAGSARTEN s "
    u"where s.id_personal = p.id_personal and s.jahr = trim(p.jahr) and s.typ = ifnull(p.typ,''))"};

// After a stored run was deleted: the records whose stored fee is gone.
inline constexpr DialectSql kDeleteOrphans{
    u"delete from dbo.QVL32_SEPA_BEITRAGSARTEN where not exists (select 1 from PERSONAL_MG_BEITRAGE p "
    u"where p.id_personal = QVL32_SEPA_BEITRAGSARTEN.id_personal and ltrim(rtrim(p.jahr)) = "
    u"QVL32_SEPA_BEITRAGSARTEN.jahr and isnull(p.typ,'') = QVL32_SEPA_BEITRAGSARTEN.typ)",
    u"delete from QVL32_SEPA_BEITRAGSARTEN where not exists (select 1 from PERSONAL_MG_BEITRAGE p "
    u"where p.id_personal = QVL32_SEPA_BEITRAGSARTEN.id_personal and trim(p.jahr) = "
    u"QVL32_SEPA_BEITRAGSARTEN.jahr and ifnull(p.typ,'') = QVL32_SEPA_BEITRAGSARTEN.typ)"};

} // namespace qvl::fee_slot_sql
