#pragma once
// The statements of the program's own tables that hold a run's files between its commit and
// their names, per dialect. QVL32_KENNUNG holds the database's identity, a random id that
// every hidden file of a run carries in its name; QVL32_LAUF_DATEIEN one row per file of a
// committed run whose files are not all named yet: its hidden path, its name (or the base
// of its numbered names), how it is named, its group and the first name to try.

#include "db/Database.h"

namespace qvl::run_manifest_sql {

// Bound: the table's name.
inline constexpr DialectSql kTableExists{
    u"select count(*) from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA = 'dbo' and TABLE_NAME = ?",
    u"select count(*) from sqlite_master where type = 'table' and name = ?"};

// Bound: the table's name, the column's.
inline constexpr DialectSql kColumnExists{
    u"select count(*) from INFORMATION_SCHEMA.COLUMNS where TABLE_SCHEMA = 'dbo' and TABLE_NAME = ? "
    u"and COLUMN_NAME = ?",
    u"select count(*) from pragma_table_info(?) where name = ?"};

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
    u"select lauf, rechner, versteckt, ziel, benennung, gruppe, erste, convert(varchar(10), erstellt, 120) "
    u"from dbo.QVL32_LAUF_DATEIEN order by lauf, nr",
    u"select lauf, rechner, versteckt, ziel, benennung, gruppe, erste, substr(erstellt, 1, 10) "
    u"from QVL32_LAUF_DATEIEN order by lauf, nr"};

inline constexpr DialectSql kPendingCount{u"select count(*) from dbo.QVL32_LAUF_DATEIEN",
                                          u"select count(*) from QVL32_LAUF_DATEIEN"};

// QVL32_LAUF_BEGONNEN holds one row per run that may have hidden files: written and
// committed before its first file, gone with its manifest or with its files. A hidden file
// is deleted only when this database started its run.
inline constexpr DialectSql kCreateStarts{
    u"create table dbo.QVL32_LAUF_BEGONNEN (lauf nvarchar(40) not null, kennung nvarchar(32) not null, "
    u"rechner nvarchar(100) not null, ordner nvarchar(400) not null, begonnen datetime not null default getdate())",
    u"create table QVL32_LAUF_BEGONNEN (lauf text not null, kennung text not null, rechner text not null, "
    u"ordner text not null, begonnen text not null default current_timestamp)"};

// Bound: run, the database's identity, machine, folder.
inline constexpr DialectSql kRecordStart{
    u"insert into dbo.QVL32_LAUF_BEGONNEN (lauf, kennung, rechner, ordner) values (?, ?, ?, ?)",
    u"insert into QVL32_LAUF_BEGONNEN (lauf, kennung, rechner, ordner) values (?, ?, ?, ?)"};

// Bound: the database's identity.
inline constexpr DialectSql kStartedRuns{u"select lauf from dbo.QVL32_LAUF_BEGONNEN where kennung = ?",
                                         u"select lauf from QVL32_LAUF_BEGONNEN where kennung = ?"};

// Bound: the run.
inline constexpr DialectSql kForgetStart{u"delete from dbo.QVL32_LAUF_BEGONNEN where lauf = ?",
                                         u"delete from QVL32_LAUF_BEGONNEN where lauf = ?"};

// Bound: the run.
inline constexpr DialectSql kRecordedCount{u"select count(*) from dbo.QVL32_LAUF_DATEIEN where lauf = ?",
                                           u"select count(*) from QVL32_LAUF_DATEIEN where lauf = ?"};

// QVL32_KENNUNG_ORT: where the embedded database's file was when it got its identity (device
// and file number), so that a copy of the file notices it is one and takes an identity of
// its own; the identity it was copied from is kept.
inline constexpr DialectSql kCreatePlaces{
    u"create table dbo.QVL32_KENNUNG_ORT (kennung nvarchar(32) not null, ort nvarchar(400) not null, "
    u"kopie_von nvarchar(32) null, erstellt datetime not null default getdate())",
    u"create table QVL32_KENNUNG_ORT (kennung text not null, ort text not null, kopie_von text, "
    u"erstellt text not null default current_timestamp)"};

// Bound: the identity.
inline constexpr DialectSql kPlaceOf{u"select ort from dbo.QVL32_KENNUNG_ORT where kennung = ?",
                                     u"select ort from QVL32_KENNUNG_ORT where kennung = ?"};

// Every identity this database had before (copied from).
inline constexpr DialectSql kCopiedFrom{
    u"select kopie_von from dbo.QVL32_KENNUNG_ORT where kopie_von is not null",
    u"select kopie_von from QVL32_KENNUNG_ORT where kopie_von is not null"};

// Bound: identity, place, copied from (null: the first).
inline constexpr DialectSql kRecordPlace{
    u"insert into dbo.QVL32_KENNUNG_ORT (kennung, ort, kopie_von) values (?, ?, ?)",
    u"insert into QVL32_KENNUNG_ORT (kennung, ort, kopie_von) values (?, ?, ?)"};

inline constexpr DialectSql kForgetIdentity{u"delete from dbo.QVL32_KENNUNG", u"delete from QVL32_KENNUNG"};

// Bound: the run.
inline constexpr DialectSql kForgetRun{u"delete from dbo.QVL32_LAUF_DATEIEN where lauf = ?",
                                       u"delete from QVL32_LAUF_DATEIEN where lauf = ?"};

} // namespace qvl::run_manifest_sql
