#pragma once
// What the three accounting exports share: the target folder, the numbered files of a day,
// the invoice numbers, and values cleaned for separated fields.

#include "fibu/FibuSettings.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

namespace qvl::fibu {

// At most this many files of one kind per day ("_1" … "_50").
inline constexpr int kFileNumbers = 50;

// The value with each character of `unsafe` (the file's separator, its quote) and every
// line break replaced by a blank, so that it can neither shift nor split a record.
QString field(const QString &value, QStringView unsafe);

// Writes the files of one export (Windows-1252, CR LF) whole under hidden temporary names
// in `folder`, then gives them the first free number of the day: for n = 1 … 50, names(n)
// are the names that must all be new; when all 50 are taken, names(0), the names without a
// number. Nothing that exists is written over, no two exports take the same number, and a
// program stopped half-way leaves no numbered file that is not whole (its temporary files
// are removed at the next start). Within a run (`outputs` given) the files stay hidden and
// get their number when the run's commit names them. Returns the paths written (or to be
// named), in the order of `contents`; throws WriteError when the folder is missing, a file
// cannot be written, or every name is taken.
QStringList writeNumberedFiles(RunOutputs *outputs, const QString &folder, const std::function<QStringList(int)> &names,
                               const QList<QStringList> &contents);

} // namespace qvl::fibu
