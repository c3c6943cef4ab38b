#pragma once
// The run's part of the register (bank/Register): every fee notice of a direct-debit run
// is registered in the run's own transaction, right before its commit; the invoices of an
// invoice run in a transaction of their own right after the letters are made. Before a
// run, the check names invoice numbers already issued; at start and after every run the
// form proposes the next free number.

#include "bank/Register.h"
#include "run/Buchung.h"

#include <QSet>
#include <QStringList>

namespace qvl {

class Database;
class FrmDTA;
struct RunCheck;
struct RunReport;
struct SepaExport;

// The documents a run issues: one per record, paid by debit when the owner is in the bank
// file (directDebit and not in notCollected), else by transfer.
QList<RegisteredDocument> runDocuments(const FrmDTA &form, const Buchungen &records, bool directDebit,
                                       const QSet<long> &notCollected, const QString &batchId,
                                       const QStringList &files);

// In the direct-debit run's transaction, before its commit. Throws DbError.
void registerDirectDebitRun(const FrmDTA &form, const Buchungen &records, Database &db, const SepaExport &sepa);
// After the letters of an invoice run, in one transaction of its own. Throws DbError.
void registerInvoiceRun(const FrmDTA &form, const Buchungen &records, const RunReport &report);

// The check's error when the run's numbers overlap registered ones, naming the next free
// number. Reads the register on a connection of its own; throws DbError.
void checkInvoiceNumbers(const FrmDTA &form, const Buchungen &records, RunCheck &check);

// Sets "Rechnungs Nr." to the number after the highest registered one when the number
// typed is not above it. Throws DbError.
void proposeNextInvoiceNumber(FrmDTA &form);

} // namespace qvl
