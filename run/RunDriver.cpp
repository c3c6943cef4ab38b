#include "run/RunDriver.h"

#include "app/FrmDTA.h"
#include "fibu/FibuExport.h"
#include "platform/Conversions.h"
#include "run/EInvoiceStep.h"
#include "run/RegisterStep.h"
#include "run/ReportSteps.h"
#include "run/RunCheckBuilder.h"
#include "run/RunError.h"
#include "run/RunGuard.h"
#include "run/RunPreparation.h"
#include "run/StartChecks.h"
#include "run/TargetDrive.h"
#include "sepa/BankFiles.h"
#include "sepa/ErrorLog.h"
#include "sepa/RunLock.h"
#include "sepa/SepaWriter.h"
#include "sepa/StoredFees.h"

#include "platform/FaultPoints.h"


namespace qvl {

namespace {

// The direct-debit writers: the SEPA file (with its error report) and the slip, on the
// run's connection under the run lock. Returns the owners whose debit could not go into
// the file.
QSet<long> writeDirectDebit(FrmDTA &f, const QString &exportPfad, bool diskette, const Buchungen &aBuchungen,
                            Database &db, RunLock &lock, RunReport &report)
{
    SepaExport sepa;
    try {
        sepa = CreateSEPAFile(f, exportPfad, aBuchungen, db, lock, [&](Database &runDb, const SepaExport &done) {
            registerDirectDebitRun(f, aBuchungen, runDb, done);
        });
    } catch (const CommittedRunError &e) {
        report.bankFile = e.bankFile();
        throw;
    }
    report.outputs.append(sepa.file);
    report.bankFile = sepa.file;
    report.debits = sepa.numberOfTransactions;
    report.controlSum = sepa.controlSum;
    report.leftOut = int(sepa.notCollected.size());
    if (sepa.dataErrors > 0) {
        report.logFile = logFilePath(f.context().programDir);
        tell(f, sepaErrorsMessage(), MsgIcon::None);
        f.ui().openFile(logFilePath(f.context().programDir));
    }
    if (diskette) {
        f.strVolume = formatDate(f.clock().now(), u"hh_mm_ss"_qs);
        SetDisketteLabel(f.strVolume);
    }
    PrintSlipStep(f, sepa, report);
    return sepa.notCollected;
}

// A second direct-debit run for a year and type already collected would debit the same
// owners twice: asked before anything is written, under the run lock, so that a run that
// committed while this one was being prepared is seen. True when the run may go on.
bool repeatedRunConfirmed(FrmDTA &f, Database &db, const Buchungen &aBuchungen)
{
    QSet<long> owners;
    owners.reserve(qsizetype(aBuchungen.size()));
    for (const Buchung &b : aBuchungen)
        owners.insert(b.Id_Personal);
    const std::optional<QDateTime> last = lastStoredFee(db, f.txtWirtschaftsjahr.Text, f.strBeitragsText, owners);
    if (!last)
        return true;
    return f.ui().askYesNo(u"Für "_qs + f.txtWirtschaftsjahr.Text + u" „"_qs + f.strBeitragsText
                               + u"“ sind bereits Beiträge gespeichert (Lauf vom "_qs
                               + (last->isValid() ? formatDate(*last, u"dd.mm.yyyy"_qs) : u"?"_qs)
                               + u"). Ein weiterer Lauf kann dieselben Lastschriften ein zweites Mal einziehen. "
                                 "Trotzdem fortfahren?"_qs,
                           u"SEPA"_qs);
}

// A recorded Ctrl-C or SIGTERM stops the run at the next file boundary. After the commit
// point what carries the money is done, and the run must not be repeated.
void stopAtFileBoundary(const RunReport &report)
{
    if (report.bankFile.isEmpty()) {
        stopIfInterrupted();
        return;
    }
    if (const int signal = pendingRunSignal())
        throw RunError(RunError::Kind::Output, u"Der Beitragslauf wurde angehalten ("_qs
                                                   + QString::fromLatin1(signalName(signal)) + u")."_qs);
}

// The second half: the writers, from what the first half prepared. In both kinds of run
// last the accounting export.
void writeSteps(FrmDTA &f, PreparedRun &run, RunReport &report)
{
    const bool directDebit = run.directDebit;
    const QString &exportPfad = run.exportPfad;
    const bool diskette = isDisketteTarget(directDebit, exportPfad);
    if (diskette)
        ClearDiskette();
    if (directDebit)
        finishInterruptedRuns(f);
    const Buchungen &aBuchungen = run.records;
    QSet<long> notCollected;
    if (directDebit) {
        const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
        faultPoint("vor-sperre");
        RunLock lock(*db);
        if (!repeatedRunConfirmed(f, *db, aBuchungen)) {
            report.outcome = RunOutcome::Stopped;
            return;
        }
        stopIfInterrupted();
        notCollected = writeDirectDebit(f, exportPfad, diskette, aBuchungen, *db, lock, report);
    }
    stopAtFileBoundary(report);
    if (const std::optional<Report> letters = PrintListsAndLetters(f, aBuchungen, directDebit, report, notCollected))
        ERechnungStep(f, aBuchungen, *letters, notCollected, report);
    if (!directDebit)
        registerInvoiceRun(f, aBuchungen, report);
    f.ui().setProgress(0, 0);
    stopAtFileBoundary(report);

    report.firstAccountingFile = report.outputs.size();
    for (const QString &notice : ExportFibu(f, aBuchungen, report.outputs, notCollected))
        tell(f, notice, MsgIcon::Exclamation);
}

// The check before the run, shown until the clerk starts the run or cancels it; taking the
// proposed due date sets it and shows the check again. A check with an error cannot start.
bool runCheckConfirmed(FrmDTA &f, PreparedRun &run)
{
    for (;;) {
        switch (f.ui().showRunCheck(run.check)) {
        case RunCheckChoice::Start:
            return !run.check.hasErrors();
        case RunCheckChoice::Cancel:
            return false;
        case RunCheckChoice::TakeDueDate:
            if (!run.check.proposedDueDate)
                return false;
            f.txtFaellDat.Text = formatDate(*run.check.proposedDueDate, u"dd.mm.yyyy"_qs);
            checkDueDate(f, run.check);
            break;
        }
    }
}

// The register may be out of reach after a failed run: the proposal then waits for the
// next start.
void proposeNextInvoiceNumberAfterRun(FrmDTA &f)
{
    try {
        proposeNextInvoiceNumber(f);
    } catch (const DbError &) {
    }
}

} // namespace

void finishInterruptedRuns(FrmDTA &f)
{
    const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
    const bank_files::Recovery recovery = bank_files::finishInterruptedRuns(*db, f.strExportPfad);
    const QStringList lines = bank_files::messages(recovery);
    if (lines.isEmpty())
        return;
    WriteLogLines(f.context().programDir, f.clock(), lines);
    for (const QString &line : lines)
        tell(f, line, MsgIcon::Exclamation);
}

void BuildBeitragsText(FrmDTA &f)
{
    QString text;
    for (const CheckBox &box : f.chkBeitrag)
        if (box.Value == 1)
            text += box.Caption;
    for (const QChar c : {u'\\', u'/', u':', u'?', u'<', u'>', u'|', u' ', u'\'', u'"'})
        text.replace(c, u'_');
    f.strBeitragsText = text;
}

RunReport cmdStart_Click(FrmDTA &f)
{
    RunReport report;
    std::optional<PreparedRun> run = PrepareRun(f, report);
    if (run && !runCheckConfirmed(f, *run))
        report.outcome = RunOutcome::Stopped;
    else if (run)
        runGuarded(f, report, [&] { writeSteps(f, *run, report); });
    if (report.outcome != RunOutcome::Completed && !report.bankFile.isEmpty())
        report.outcome = RunOutcome::Unfinished;
    proposeNextInvoiceNumberAfterRun(f);
    report.signal = pendingRunSignal();
    return report;
}

} // namespace qvl
