#pragma once
// The IBM-FIBU import files: the fee bookings of every run ("BEITLA…"/"BEITRE…") and, for
// direct-debit runs, the bank-side bookings ("LA…"), each "<stem>yyyymmdd_<n>.df2" in the
// accounting folder: comma-separated, quoted, a batch header "$AF1BA1" and booking lines
// "$AF1BG1".

#include "core/Buchung.h"
#include "fibu/FibuSettings.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace qvl::fibu {

// The owner's key in the cost-centre map: characters 2 to 4 of an eight-digit owner
// number, else its first three characters (12345678 -> 234, 4711 -> 471, 12 -> 12).
QString ownerKey(long nummer);

// Writes the files; each complete file is appended to `written`. Returns notices for the
// user: the cost-centre map could not be read (the cost values then stay empty), the bank
// account is missing, texts hold characters Windows-1252 lacks (also logged). Throws
// RunError naming the file on any failure; a fee file that fails is told together with the
// bank file, which is still attempted. The bank bookings leave out the owners of
// `notCollected` (Id_Personal): their debit never reaches the bank.
QStringList ExportIBM(const FibuSettings &settings, const Buchungen &records, QStringList &written,
                      const QSet<long> &notCollected = {});

} // namespace qvl::fibu
