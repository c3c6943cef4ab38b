#pragma once
// The temporary files of the program's writers, and what is left of them when a writer was
// stopped half-way (a kill, a power cut). A writer holds an advisory lock on its temporary
// file for as long as the file is open, so that what another program's start removes is
// only what nobody writes any more.

#include <QString>
#include <QStringList>

namespace qvl {

// Takes the lock on an open file (flock; on Windows LockFileEx on a byte beyond its end);
// released when the handle is closed or the
// process ends. False when the file system has no such locks (the file is then never taken
// for abandoned while it is in use by a writer of this machine).
bool lockWhileWriting(int handle);

// True when a writer holds the lock of the file (on Windows also: another program has it
// open and shares it with nobody).
bool inUse(const QString &path);

// Makes sure an open file's written bytes are on the disk, not only in the system's cache
// (fsync; FlushFileBuffers on Windows): a disk that runs full on write-back fails here and
// not after the rename. `dataOnly`: the size and times may follow (fdatasync). False with
// a German reason, or the system's, when they are not.
bool syncFileToDisk(int handle, QString *reason, bool dataOnly = false);

// The tag in the name of every temporary file a writer makes outside a run
// (".NAME.qvl32.XXXXXX"); a run's files carry the run's own tag instead.
inline constexpr char16_t kOwnTemporaryTag[] = u"qvl32";

// Whether a file name is one of the writers' own temporary files: "." + the name of a file
// the program writes + ".qvl32." + six letters or digits
// (".QVL32-SEPA-Beitragseinzug.ini.qvl32.Ab12Cd"). Nothing else is taken for one, however
// alike: "Rechnung.pdf.backup" or ".Dtaus0.csv.archiv" belong to the clerk. `stems` are
// regular expressions of the files' own names.
bool isTemporaryOf(const QString &fileName, const QStringList &stems);

// Removes from the folder every temporary file of `stems` that no writer holds; returns
// the paths removed.
QStringList removeAbandonedTemporaries(const QString &folder, const QStringList &stems);

// Makes a folder's entries (a new or renamed file) durable: after a power cut the file is
// there under the name it was given. False when the folder cannot be synced.
bool syncFolder(const QString &folder);

// Whether every file written into `folder` can be synced at once (`syncFilesOf`): a local
// Linux file system that reports what it could not write back. Elsewhere each file is
// synced on its own.
bool canSyncFilesTogether(const QString &folder);
// Syncs the data of every file written into the folder's file system, then the folder.
// False with a German reason when something did not reach the disk.
bool syncFilesOf(const QString &folder, QString *reason);

} // namespace qvl
