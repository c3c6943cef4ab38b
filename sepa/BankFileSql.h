#pragma once
// The statements of the run lock and of the program's own table QVL32_SEPA_DATEIEN, per
// dialect. The table holds, for each bank file whose fees are committed but that has no
// name yet, its hidden temporary path, the name it is meant to get and the machine that
// wrote it; a row lives only from the commit of the fees until the file has its name.
// On SQL Server the table lives in the schema dbo, named in every statement: a login whose
// default schema is another would otherwise miss the table the other clerks write to and
// create a second one of its own.

#include "platform/Database.h"

namespace qvl::bank_file_sql {

inline constexpr DialectSql kJournalExists{
    u"select count(*) from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA = 'dbo' and TABLE_NAME = 'QVL32_SEPA_DATEIEN'",
    u"select count(*) from sqlite_master where type = 'table' and name = 'QVL32_SEPA_DATEIEN'"};

inline constexpr DialectSql kCreateJournal{
    u"create table dbo.QVL32_SEPA_DATEIEN (datei nvarchar(400) not null, ziel nvarchar(400) not null, "
    u"rechner nvarchar(100) not null, erstellt datetime not null default getdate())",
    u"create table QVL32_SEPA_DATEIEN (datei text not null, ziel text not null, rechner text not null, "
    u"erstellt text not null default current_timestamp)"};

// Bound: the hidden path, the name meant for the file, the machine.
inline constexpr DialectSql kRecordPending{
    u"insert into dbo.QVL32_SEPA_DATEIEN (datei, ziel, rechner) values (?, ?, ?)",
    u"insert into QVL32_SEPA_DATEIEN (datei, ziel, rechner) values (?, ?, ?)"};

inline constexpr DialectSql kPending{u"select datei, ziel, rechner from dbo.QVL32_SEPA_DATEIEN",
                                     u"select datei, ziel, rechner from QVL32_SEPA_DATEIEN"};

// Bound: the hidden path.
inline constexpr DialectSql kForget{u"delete from dbo.QVL32_SEPA_DATEIEN where datei = ?",
                                    u"delete from QVL32_SEPA_DATEIEN where datei = ?"};

// The run lock on SQL Server: an application lock owned by the session, so it outlives
// the commit of the fees and ends with the connection when the program dies. Bound: the
// lock's name, the wait in milliseconds. The embedded database takes its write lock
// instead (BEGIN IMMEDIATE through its own interface).
inline constexpr DialectSql kTakeRunLock{u"exec sp_getapplock ?, 'Exclusive', 'Session', ?", u"begin immediate"};

// "Exclusive" when this session holds the lock, "NoLock" when the wait ran out. Bound: the
// lock's name.
inline constexpr DialectSql kRunLockMode{u"select applock_mode('public', ?, 'Session')", u"select 'Exclusive'"};

// Bound: the lock's name.
inline constexpr DialectSql kReleaseRunLock{u"exec sp_releaseapplock ?, 'Session'", u"select 1"};

} // namespace qvl::bank_file_sql
