#pragma once
// The outbox: the folder "E-Mails" beside the reports, one message file "*.eml" per owner,
// each written whole under a hidden name and only then named. A file without its name
// (".…") is no mail yet.

#include <QString>
#include <QStringList>

namespace qvl {

inline constexpr char16_t kOutboxFolderName[] = u"E-Mails";
// Inside the outbox: mails taken out of the sending (a deleted run's, an earlier issue of a
// document a later run issued again), kept, never sent.
inline constexpr char16_t kWithdrawnFolderName[] = u"Zurückgezogen";

// The outbox of a reports folder.
QString outboxFolder(const QString &reportsFolder);

// "{RechNr}_{Nummer}.eml"
QString outboxFileName(const QString &invoiceNumber, long owner);

// The named message files of the outbox, full paths, in order of their names. Empty when
// the folder does not exist.
QStringList outboxFiles(const QString &folder);

// A message file's header, up to the blank line (the letter not read); empty when the file
// cannot be read.
QByteArray outboxHead(const QString &path);

} // namespace qvl
