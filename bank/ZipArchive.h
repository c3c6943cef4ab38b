#pragma once
// The members of a ZIP archive (libzip), each read as a stream, within limits: an archive
// whose members would unpack beyond them (a "ZIP bomb") is refused before anything of it
// is read.

#include <QString>
#include <functional>

namespace qvl {

// Fills the buffer; returns the bytes read, 0 at the end, -1 on a read error.
using ZipRead = std::function<qint64(char *, qint64)>;

struct ZipLimits {
    qint64 memberBytes = qint64(1) << 30;   // one member unpacked
    qint64 totalBytes = qint64(2) << 30;    // all members unpacked
    qint64 ratio = 200;                     // unpacked : packed, for members above ratioFrom
    qint64 ratioFrom = qint64(16) << 20;
};

// Calls `visit` for each member that is a file, in the archive's order. False (with the
// German reason in *error, "das ZIP-Archiv ist beschädigt …") when the archive cannot be
// opened or is beyond the limits; a member that cannot be read, or unpacks to more than
// it said, makes its reader return -1.
bool forEachZipMember(const QString &path, const std::function<void(const QString &, const ZipRead &)> &visit,
                      QString *error, const ZipLimits &limits = {});

} // namespace qvl
