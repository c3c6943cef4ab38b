#pragma once
// The statements of the program's own tables that hold a run's files between its commit and
// their names, per dialect. QVL32_KENNUNG holds the database's identity, a random id that
// every hidden file of a run carries in its name; QVL32_LAUF_DATEIEN one row per file of a
// committed run whose files are not all named yet: its hidden path, its name (or the base
// of its numbered names), how it is named, its group and the first name to try.

#include "platform/Database.h"

namespace qvl::run_manifest_sql {

// Bound: the table's name.
inline constexpr DialectSql kTableExists{
    u"select count(*) from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA = 'dbo' and TABLE_NAME = ?",
    u"select count(*) from sqlite_master where type = 'table' and name = ?"};

inline constexpr DialectSql kCreateIdentity{u"create table dbo.QVL32_KENNUNG (kennung nvarchar(32) not null)",
                                            u"create table QVL32_KENNUNG (kennung text not null)"};

inline constexpr DialectSql kCreateManifest{
    u"create table dbo.QVL32_LAUF_DATEIEN (lauf nvarchar(40) not null, nr int not null, versteckt nvarchar(400) not null, "
    u"ziel nvarchar(400) not null, benennung int not null, gruppe int not null, erste int not null, "
    u"rechner nvarchar(100) not null, erstellt datetime not null default getdate())",
    u"create table QVL32_LAUF_DATEIEN (lauf text not null, nr integer not null, versteckt text not null, "
    u"ziel text not null, benennung integer not null, gruppe integer not null, erste integer not null, "
    u"rechner text not null, erstellt text not null default current_timestamp)"};

// The smallest id wins, should two desks have written one at the same moment.
inline constexpr DialectSql kIdentity{u"select min(kennung) from dbo.QVL32_KENNUNG",
                                      u"select min(kennung) from QVL32_KENNUNG"};

// Bound: the new id.
inline constexpr DialectSql kNewIdentity{u"insert into dbo.QVL32_KENNUNG (kennung) values (?)",
                                         u"insert into QVL32_KENNUNG (kennung) values (?)"};

// Bound: run, number, hidden path, name, naming, group, first name, machine.
inline constexpr DialectSql kRecordFile{
    u"insert into dbo.QVL32_LAUF_DATEIEN (lauf, nr, versteckt, ziel, benennung, gruppe, erste, rechner) "
    u"values (?, ?, ?, ?, ?, ?, ?, ?)",
    u"insert into QVL32_LAUF_DATEIEN (lauf, nr, versteckt, ziel, benennung, gruppe, erste, rechner) "
    u"values (?, ?, ?, ?, ?, ?, ?, ?)"};

inline constexpr DialectSql kPendingFiles{
    u"select lauf, rechner, versteckt, ziel, benennung, gruppe, erste from dbo.QVL32_LAUF_DATEIEN order by lauf, nr",
    u"select lauf, rechner, versteckt, ziel, benennung, gruppe, erste from QVL32_LAUF_DATEIEN order by lauf, nr"};

inline constexpr DialectSql kPendingCount{u"select count(*) from dbo.QVL32_LAUF_DATEIEN",
                                          u"select count(*) from QVL32_LAUF_DATEIEN"};

// Bound: the run.
inline constexpr DialectSql kForgetRun{u"delete from dbo.QVL32_LAUF_DATEIEN where lauf = ?",
                                       u"delete from QVL32_LAUF_DATEIEN where lauf = ?"};

} // namespace qvl::run_manifest_sql
