#pragma once
// Paths: the program writes Windows paths with "\"; files and options may hold either
// separator. Paths are built with the platform's separator.

#include <QString>

namespace qvl {

// Both separators turned into the platform's own ("C:\x/y" -> "C:/x/y" with Qt's
// separators; shown natively on Windows).
QString nativePath(const QString &path);

// Joins a folder and a relative part given with either separator ("..\quarvel.Ini").
QString joinPath(const QString &folder, const QString &relative);

// The folder as given, with the platform's separator appended unless it already ends
// with either separator (export folders are kept with a final separator).
QString withTrailingSeparator(const QString &folder);

// A folder named in the settings file: a relative one ("export\", "..\fibu") lies in the
// program folder, whatever the working directory is. Absolute paths, drive paths
// ("C:\SEPA", "A:\") and empty text stay as they are.
// The program folder when the command line names none: QVL32_PROGRAM_DIR, which an
// installed package's administrator sets for every user (its executables lie in a system
// folder no clerk writes to), else the executable's folder, as the Windows program has it.
QString defaultProgramDir(const QString &executableDir);

QString inProgramFolder(const QString &programDir, const QString &path);

// The drive a Windows path lies on: "C:" for "C:\SEPA" (the letter as given), the share
// "\\server\share" for a UNC path (either separator), empty for anything else.
QString windowsDrive(const QString &path);

// The platform's separator as text ("\" on Windows, "/" elsewhere).
QString separator();

} // namespace qvl

namespace qvl {

// What tells one file from another, whatever path reaches it (a symlink, a bind mount,
// another drive mapping): device and file number where the system has them (on Windows the
// volume's serial number and the file's index), else the canonical path. A copy of the file has another one. Empty when the file is missing.
QString fileIdentity(const QString &path);

} // namespace qvl
