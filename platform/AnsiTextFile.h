#pragma once
// ANSI text files: Windows-1252, lines ended by CR LF.

#include <QString>
#include <QStringList>
#include <optional>

namespace qvl {

// All lines of the file. Lines may end in CR LF, LF or a lone CR; the last line needs no
// line end. std::nullopt when the file does not exist or cannot be read.
std::optional<QStringList> readAnsiLines(const QString &path);

// Writes each line followed by CR LF. Appending creates the file when it is missing.
// On failure returns false and puts a German description into *error.
bool appendAnsiLines(const QString &path, const QStringList &lines, QString *error = nullptr);

// Replaces the whole file: written to a temporary file in the same folder and renamed over
// the old one, so a crash or a full disk never leaves a truncated file behind.
bool writeAnsiFileAtomically(const QString &path, const QStringList &lines, QString *error = nullptr);

} // namespace qvl
