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
#include "core/Creditor.h"
#include "core/SepaFormat.h"
#include "stored/FeeSlotRecord.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QSet>
#include <QStringList>
#include <QString>
#include <functional>

namespace qvl {

class Clock;
class Database;
class RunOutputs;

struct SepaExport {
    QString file;                  // the file written
    qint64 numberOfTransactions = 0;
    Money controlSumCent;          // the debits' amounts added up
    int dataErrors = 0;            // lines logged for faulty IBANs, BICs and mandate references
    QSet<long> notCollected;       // owners (Id_Personal) whose debit could not go into the file
    QStringList logLines;          // for the export error log, written once the fees are committed
    QString messageId;             // the file's message id, as the bank's statement names the batch
};

// Everything the bank file takes of a run besides its records: the form's values as the
// run read them (see run/SepaStep).
struct SepaParams {
    QDateTime now;              // the run's moment: file name, creation time, signature date
    QDate invoiceDate;          // stored with every fee
    SepaFormat format = SepaFormat::Pain00800108;
    QString exportDir;          // ends with a separator
    QString feeText;            // the run's fee text (strBeitragsText): file name and stored fees
    QString businessYear;       // txtWirtschaftsjahr, as typed
    QDate dueDate;              // the collection date
    Creditor creditor;          // name, account and creditor id, as typed
    QString remittance;         // the remittance text, as typed
    bool accountingRemittance = false; // the remittance names account and invoice number
    fee_slots::SlotMask tickedSlots = 0; // the fees the run collects
    QString programDir;         // where the export error log is
    const Clock *clock = nullptr;
};

// Data errors are logged to the export error log and do not stop the file; a booking whose
// IBAN the file cannot carry is left out. Throws RunError (Input: no booking can be
// written; Output: the file or log cannot be written, or the file is not valid) or DbError
// (a statement fails); the user is told by the caller. `db` is the run's connection, on
// which the run lock is held: the fees are written in its transaction. The hidden file goes
// to `outputs`; the result's `file` is the name it will get. The caller commits and writes
// `logLines`.
SepaExport writeSepaFile(const SepaParams &params, const Buchungen &aBuchungen, Database &db, RunOutputs &outputs);

// The bank file's message id (and, after "LS00", its payment information id): the run's
// moment to the second and its random run id, so that no two files of any database share
// one — banks refuse a message id they have seen, and the statements name the batch by it.
// 3 + 14 + 1 + 8 characters of the SEPA character set.
QString sepaMessageId(const QDateTime &now, const QString &runId);

// Appends lines to the export error log; within a run (`outputs` given) they wait in its
// list until it is done. Throws WriteError naming the log when it cannot.
void writeSepaLog(RunOutputs *outputs, const SepaParams &params, const QStringList &lines);

// Test seam: rewrites every transaction block before it is written (a file made invalid
// on purpose). An empty function turns it off.
void setSepaBlockFilterForTests(std::function<void(QByteArray &)> filter);

// The message shown after an export with logged errors, naming the log file.
QString sepaErrorsMessage(const QString &logFile);

} // namespace qvl
