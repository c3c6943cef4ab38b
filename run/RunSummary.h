#pragma once
// What a run did, in one place, for the clerk: the bank file with its folder, the number
// of debits and their control sum, the owners left out (and where the log says why), the
// accounting files. The desktop program shows it after the run, the batch program prints it.

#include "run/RunDriver.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace qvl {

struct RunSummary {
    bool directDebit = false;
    bool unfinished = false;     // the bank file is out, then a later step failed
    QString bankFile;            // the SEPA file's name, without its folder
    QString bankFolder;          // the folder it lies in
    QString dueDate;             // direct debit: dd.mm.yyyy
    qint64 debits = 0;
    Money controlSumCent;
    int billed = 0;              // invoices of an invoice run
    Money totalCent;             // their total
    int leftOut = 0;             // owners not in the bank file
    QString logFile;             // where the reasons are logged; empty when nothing was logged
    int eInvoicesRefused = 0;    // owners without the e-invoice they should have had
    QStringList accountingFiles; // full paths
    int mailed = 0;              // letters in the outbox, to be sent
    int paperLetters = -1;       // letters left for paper; -1 when the run made none
    QString outbox;              // the outbox folder
};

// The summary of a run that billed owners: a direct-debit run whose bank file is written
// (also when a later step failed), or an invoice run that went through. std::nullopt for
// a run that stopped, failed before that, or found nothing to bill.
std::optional<RunSummary> summarizeRun(const RunReport &report);

// The summary as German text, one fact per line.
QString runSummaryText(const RunSummary &summary);

} // namespace qvl
