#pragma once
// Writes the SEPA direct-debit file of a direct-debit run and records every collected
// fee. Nothing half-done: the file is written under a temporary name and renamed when
// complete, and the fees go into one database transaction committed after the rename.
// On any failure neither the file nor a stored fee remains.

#include "run/Buchung.h"

#include <QString>

namespace qvl {

class FrmDTA;

struct SepaExport {
    QString file;                  // the file written
    qint64 numberOfTransactions = 0;
    double controlSum = 0;         // rounded to 2 decimals
    int ibanErrors = 0;            // bookings logged for a faulty IBAN
};

// Reads the creditor, dates, texts and the bank format from the form. Data errors are
// logged to the export error log and do not stop the file. Throws RunError (file or log
// cannot be written) or DbError (a statement fails); the user is told by the caller.
SepaExport CreateSEPAFile(FrmDTA &form, const QString &exportDir, const Buchungen &aBuchungen);

// The message shown after an export with logged errors (three lines joined by CR).
QString sepaErrorsMessage();

} // namespace qvl
