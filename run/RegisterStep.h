#pragma once
// The run's part of the register (bank/Register): every fee notice of a direct-debit run
// and every invoice of an invoice run is registered on the run's connection once all its
// outputs are made, so that the run's one commit stores them with its fees and files, and
// a run that fails before it leaves none of them. Before a run, the check names invoice
// numbers already issued; at start and after every run the form proposes the next free
// number.

#include "bank/Register.h"
#include "core/Buchung.h"

#include <QSet>
#include <QStringList>

namespace qvl {

class Database;
class FrmDTA;
struct RunInputs;
struct RunCheck;
struct RunReport;
struct SepaExport;

// The documents a run issues: one per record, paid by debit when the owner is in the bank
// file (directDebit and not in notCollected), else by transfer.
QList<RegisteredDocument> runDocuments(const FrmDTA &form, const RunInputs &run, const Buchungen &records,
                                       bool directDebit,
                                       const QSet<long> &notCollected, const QString &batchId,
                                       const QStringList &files);

// The run's documents, in the run's transaction on `db`, before its commit: a direct-debit
// run's with the bank file (`sepa`), an invoice run's with the files in `report`, each
// with the run's id (`runId`, as its files and mails carry it). Throws DbError.
void registerRun(const FrmDTA &form, const RunInputs &run, const Buchungen &records, Database &db, bool directDebit, const SepaExport &sepa,
                 const RunReport &report, const QString &runId);

// The check's error when the run's numbers overlap registered ones, naming the next free
// number. Reads the register on a connection of its own; throws DbError.
void checkInvoiceNumbers(const FrmDTA &form, const Buchungen &records, RunCheck &check);

// Sets "Rechnungs Nr." to the number after the highest registered one when the number
// typed is not above it. Throws DbError.
void proposeNextInvoiceNumber(FrmDTA &form);

} // namespace qvl
