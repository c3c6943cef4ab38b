#pragma once
// The start button: checks the inputs of the chosen payment type, then runs the fee run
// (member query, fee calculation, transliteration) and hands the records to the writers.

#include "core/Money.h"

#include <QString>
#include <QStringList>

namespace qvl {

class FrmDTA;

enum class RunOutcome {
    Completed, // the run went through its steps (also when it found nothing to bill)
    Stopped,   // a check or a declined question stopped it before anything was written
    Failed,    // a step failed (database, file); the user has been told what failed
    Unfinished, // the bank file is in place and its fees stored, then a later step failed:
                // repeating the run would collect the same debits a second time
    Interrupted // Ctrl-C or SIGTERM stopped it before its commit point; nothing of it is left
};

struct RunReport {
    RunOutcome outcome = RunOutcome::Completed;
    QStringList outputs; // the files the run wrote, in order
    QString bankFile;    // the SEPA file once it is in place and its fees are stored
    int signal = 0;      // SIGINT or SIGTERM received during the run, else 0
    bool directDebit = false;
    int billed = 0;      // owners billed: those the fee calculation kept
    Money totalCent;     // the sum of their totals
    qint64 debits = 0;   // the debits in the bank file
    Money controlSumCent; // the bank file's control sum
    int leftOut = 0;     // owners billed but left out of the bank file for their bank data
    QString dueDate;     // direct debit: the due date the bank file carries, dd.mm.yyyy
    QString logFile;     // the export error log, when the run added lines to it
    int eInvoicesRefused = 0; // owners who should have had an e-invoice and got none
    qsizetype firstAccountingFile = -1; // outputs from here on are the accounting files
    bool ownTablesMissing = false; // stopped: the login may not create the program's own tables
    int mailed = 0;        // mails written into the outbox
    int paperLetters = -1; // letters left for paper; -1 when the run made no letters
    QString outbox;        // the outbox folder, when mails were written

    QStringList accountingFiles() const
    {
        return firstAccountingFile < 0 ? QStringList() : outputs.mid(firstAccountingFile);
    }
};

// The captions of the ticked fee boxes, joined, with characters unfit for file names
// replaced by "_"; stored in strBeitragsText.
void BuildBeitragsText(FrmDTA &form);
// One caption as BuildBeitragsText writes it.
QString feeTextOf(QString caption);

RunReport cmdStart_Click(FrmDTA &form);

// What interrupted runs left in this desk's folders: the files of a committed run get their
// names, the hidden files of a run that never committed are deleted; told in one message
// and logged. Done at every start of the program (nothing while another run works on the
// database) and before every run and deletion of a stored run (waiting for the lock as a
// run does: RunError when it stays taken). Throws DbError.
void finishInterruptedRuns(FrmDTA &form, bool waitForLock = false);

// After a run stopped for want of the program's own tables (ownTablesMissing): the desktop
// program's init-db. Yes tries to create them on this connection (an administrator's
// login), No shows the T-SQL for a database administrator. True when they exist now.
bool offerOwnTables(FrmDTA &form);

// What the next run or start would finish, told without changing anything (empty: nothing).
// Throws DbError.
QString pendingRunsNotice(FrmDTA &form);

} // namespace qvl
