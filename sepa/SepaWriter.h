#pragma once
// Writes the SEPA direct-debit file of a direct-debit run and records every collected
// fee. No owner record can break the file: what the schema cannot take is left out or
// replaced and logged, and the file is checked against the schema before it is handed
// out. Nothing half-done: the file is written and checked whole under a hidden name, the
// fees go into the run's transaction, and the file goes to the run's outputs, named only
// after the run's commit. Before the commit any failure leaves neither the file nor a
// stored fee; after it the file is certain to get its name (at the latest at the next
// start).

#include "core/Buchung.h"

#include <QByteArray>
#include <QSet>
#include <QStringList>
#include <QString>
#include <functional>

namespace qvl {

class Database;
class FrmDTA;
class RunOutputs;

struct SepaExport {
    QString file;                  // the file written
    qint64 numberOfTransactions = 0;
    double controlSum = 0;         // rounded to 2 decimals
    int dataErrors = 0;            // lines logged for faulty IBANs, BICs and mandate references
    QSet<long> notCollected;       // owners (Id_Personal) whose debit could not go into the file
    QStringList logLines;          // for the export error log, written once the fees are committed
    QString messageId;             // the file's message id, as the bank's statement names the batch
};

// Reads the creditor, dates, texts and the bank format from the form. Data errors are
// logged to the export error log and do not stop the file; a booking whose IBAN the file
// cannot carry is left out. Throws RunError (Input: no booking can be written; Output: the
// file or log cannot be written, or the file is not valid) or DbError (a statement
// fails); the user is told by the caller. `db` is the run's connection, on which the run
// lock is held: the fees are written in its transaction. The hidden file goes to `outputs`;
// `file` is the name it will get. The caller commits and writes `logLines`.
SepaExport CreateSEPAFile(FrmDTA &form, const QString &exportDir, const Buchungen &aBuchungen, Database &db,
                          RunOutputs &outputs);
// A run of the bank file alone on a connection and lock of its own: committed and named.
SepaExport CreateSEPAFile(FrmDTA &form, const QString &exportDir, const Buchungen &aBuchungen);

// Test seam: rewrites every transaction block before it is written (a file made invalid
// on purpose). An empty function turns it off.
void setSepaBlockFilterForTests(std::function<void(QByteArray &)> filter);

// The message shown after an export with logged errors (three lines joined by CR).
QString sepaErrorsMessage();

} // namespace qvl
