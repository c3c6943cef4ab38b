#pragma once
// Giving a finished hidden file its name: one atomic step on the same file system that
// never copies. When the step fails (a virus scanner or a share holds the file, EBUSY),
// the hidden file stays exactly as it was and can be named later; a copy that a kill cuts
// short would leave a truncated file under the final name.

#include <QString>

namespace qvl {

enum class Renamed {
    Done,       // the file has the new name
    Taken,      // another file has that name; the source is untouched
    SourceGone, // the source no longer exists (named by someone else meanwhile)
    Failed      // the source is untouched; `reason` says why
};

// Whether the rename syncs its folder at once, or its caller syncs each folder once after
// many renames (a run's hundreds of mails in one folder).
enum class FolderSync { Now, ByCaller };

// rename with RENAME_NOREPLACE, or link and unlink where the file system lacks it. A
// target that is already a second name of the same file (a link whose unlink was cut
// short) counts as done. The folder is synced afterwards.
Renamed renameWithoutReplacing(const QString &from, const QString &to, QString *reason = nullptr,
                               FolderSync sync = FolderSync::Now);

// An atomic rename over an existing file (files meant to be replaced, like the reports).
Renamed renameReplacing(const QString &from, const QString &to, QString *reason = nullptr,
                        FolderSync sync = FolderSync::Now);

} // namespace qvl
