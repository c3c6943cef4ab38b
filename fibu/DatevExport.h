#pragma once
// The DATEV import files of a run, both numbered alike in the accounting folder: the
// debtor master data "DATEV_BEITLA_DEBKRED_yyyymmdd_<n>.csv" and the bookings
// "DATEV_BEITLAyyyymmdd_<n>.csv" (BEITRE for an invoice run); semicolon-separated with a
// header line, one line per owner and fee.

#include "core/Buchung.h"
#include "fibu/FibuSettings.h"

#include <QStringList>

namespace qvl::fibu {

// Writes both files; each complete file is appended to `written`. Returns notices for the
// user (owners or fees without an account, texts with characters Windows-1252 lacks; also
// logged). Throws RunError naming the file on any failure.
QStringList ExportDATEV(const FibuSettings &settings, const Buchungen &records, QStringList &written);

} // namespace qvl::fibu
