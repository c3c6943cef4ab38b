#pragma once
// The statements of the run lock, per dialect, and those that read the table an older
// version kept its bank files in between their commit and their name
// (QVL32_SEPA_DATEIEN: hidden path, name meant for it, machine), so that a file it left is
// still named.

#include "db/Database.h"

namespace qvl::bank_file_sql {

inline constexpr DialectSql kLegacyExists{
    u"select count(*) from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA = 'dbo' and TABLE_NAME = 'QVL32_SEPA_DATEIEN'",
    u"select count(*) from sqlite_master where type = 'table' and name = 'QVL32_SEPA_DATEIEN'"};

inline constexpr DialectSql kLegacyPending{u"select datei, ziel from dbo.QVL32_SEPA_DATEIEN",
                                           u"select datei, ziel from QVL32_SEPA_DATEIEN"};

// Bound: the hidden path.
inline constexpr DialectSql kLegacyForget{u"delete from dbo.QVL32_SEPA_DATEIEN where datei = ?",
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
