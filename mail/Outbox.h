#pragma once
// The outbox: the folder "E-Mails" beside the reports, one message file "*.eml" per owner,
// each written whole under a hidden name and only then named. A file without its name
// (".…") is no mail yet.

#include <QString>
#include <QStringList>

namespace qvl {

inline constexpr char16_t kOutboxFolderName[] = u"E-Mails";

// The outbox of a reports folder.
QString outboxFolder(const QString &reportsFolder);

// "{RechNr}_{Nummer}.eml"
QString outboxFileName(const QString &invoiceNumber, long owner);

// The named message files of the outbox, full paths, in order of their names. Empty when
// the folder does not exist.
QStringList outboxFiles(const QString &folder);

} // namespace qvl
