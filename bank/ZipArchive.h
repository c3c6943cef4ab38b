#pragma once
// The members of a ZIP archive (libzip), each read as a stream.

#include <QString>
#include <functional>

namespace qvl {

// Fills the buffer; returns the bytes read, 0 at the end, -1 on a read error.
using ZipRead = std::function<qint64(char *, qint64)>;

// Calls `visit` for each member that is a file, in the archive's order. False (with the
// reason in *error) when the archive cannot be opened; a member that cannot be read makes
// its reader return -1.
bool forEachZipMember(const QString &path, const std::function<void(const QString &, const ZipRead &)> &visit,
                      QString *error);

} // namespace qvl
