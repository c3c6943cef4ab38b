#pragma once
// The statements of the run lock, per dialect.

#include "platform/Database.h"

namespace qvl::bank_file_sql {

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
