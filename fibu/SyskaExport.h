#pragma once
// The SYSKA booking file of a run, "BEITLAyyyymmdd_<n>.txt" (BEITRE for an invoice run) in
// the accounting folder: one line "L;date;invoice;debtor;account;text;amount" per owner for
// fee 1 and for fee 2; fees 3 to 5 are not booked there.

#include "core/Buchung.h"
#include "fibu/FibuSettings.h"

#include <QStringList>

namespace qvl::fibu {

// Writes the file and appends it to `written`. Returns notices for the user (owners or fees
// without an account, texts with characters Windows-1252 lacks; also logged). Throws
// RunError naming the file on any failure.
QStringList ExportSYSKA(const FibuSettings &settings, const Buchungen &records, QStringList &written);

} // namespace qvl::fibu
