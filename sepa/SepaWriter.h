#pragma once
// Writes the SEPA direct-debit file of a direct-debit run and records every collected
// fee. No owner record can break the file: what the schema cannot take is left out or
// replaced and logged, and the file is checked against the schema before it is handed
// out. Nothing half-done: the file is written and checked whole under a hidden name, the
// fees go into the run's transaction, and the file gets its name only after their commit.
// Before the commit any failure leaves neither the file nor a stored fee; after it the
// file is certain to get its name (at the latest at the next start).

#include "run/Buchung.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <functional>

namespace qvl {

class Database;
class FrmDTA;
class RunLock;

struct SepaExport {
    QString file;                  // the file written
    qint64 numberOfTransactions = 0;
    double controlSum = 0;         // rounded to 2 decimals
    int dataErrors = 0;            // lines logged for faulty IBANs, BICs and mandate references
    QSet<long> notCollected;       // owners (Id_Personal) whose debit could not go into the file
    QString messageId;             // the file's message id, as the bank's statement names the batch
};

// Work that belongs to the run's commit: called in the run's transaction right before it
// is committed (the register of the run's documents).
using BeforeRunCommit = std::function<void(Database &db, const SepaExport &sepa)>;

// Reads the creditor, dates, texts and the bank format from the form. Data errors are
// logged to the export error log and do not stop the file; a booking whose IBAN the file
// cannot carry is left out. Throws RunError (Input: no booking can be written; Output: the
// file or log cannot be written, or the file is not valid) or DbError (a statement
// fails); the user is told by the caller. `db` is the run's connection, on which `lock` is
// held: the fees are written in its transaction and committed by it. The lines of the
// export error log are written once the fees are committed.
SepaExport CreateSEPAFile(FrmDTA &form, const QString &exportDir, const Buchungen &aBuchungen, Database &db,
                          RunLock &lock, const BeforeRunCommit &beforeCommit = {});
// The same on a connection and lock of its own.
SepaExport CreateSEPAFile(FrmDTA &form, const QString &exportDir, const Buchungen &aBuchungen);

// Test seam: rewrites every transaction block before it is written (a file made invalid
// on purpose). An empty function turns it off.
void setSepaBlockFilterForTests(std::function<void(QByteArray &)> filter);

// The message shown after an export with logged errors (three lines joined by CR).
QString sepaErrorsMessage();

} // namespace qvl
