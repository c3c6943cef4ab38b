#pragma once
// The accounting export of a run, the last step of every run: the files of the accounting
// system the settings name (the setting strFibu: "IBM-FIBU", "DATEV-FIBU" or "SYSKA-FIBU",
// in any letter case, blanks around ignored; anything else writes nothing), into the
// accounting folder the form shows (Dir1).

#include "core/Buchung.h"
#include "fibu/FibuSettings.h"

#include <QSet>
#include <QStringList>

namespace qvl {

// Appends each complete file to `written`, so that a failure still leaves the files written
// before it listed. Returns notices for the user (a cost-centre map that cannot be read,
// owners without an account, texts with characters Windows-1252 lacks);
// throws RunError naming the file on any failure, keeping what was written before.
// `notCollected`: owners (Id_Personal) of a direct-debit run whose debit is not in the bank
// file; their fees are booked, but no payment.
QStringList ExportFibu(const fibu::FibuSettings &settings, const Buchungen &records, QStringList &written,
                       const QSet<long> &notCollected = {});

} // namespace qvl
