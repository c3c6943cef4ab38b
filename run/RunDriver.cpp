#include "run/RunDriver.h"

#include "app/FrmDTA.h"
#include "fibu/FibuExport.h"
#include "platform/Conversions.h"
#include "run/EInvoiceStep.h"
#include "run/ReportSteps.h"
#include "run/RunCheckBuilder.h"
#include "run/RunError.h"
#include "run/RunGuard.h"
#include "run/RunPreparation.h"
#include "run/StartChecks.h"
#include "run/TargetDrive.h"
#include "sepa/BankFiles.h"
#include "sepa/BookingSelection.h"
#include "sepa/ErrorLog.h"
#include "sepa/FeeSlotRecord.h"
#include "sepa/RunLock.h"
#include "sepa/SepaWriter.h"
#include "sepa/StoredFees.h"

#include "platform/FaultPoints.h"

#include <QDeadlineTimer>
#include <QThread>


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
        sepa = CreateSEPAFile(f, exportPfad, aBuchungen, db, lock);
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

// The caption of a fee slot as the clerk knows it: the fee's name, else its box's caption.
QString slotName(const FrmDTA &f, int k)
{
    const auto slot = std::size_t(k);
    const QString name = f.aBeitragsNamen[slot].trimmed();
    return name.isEmpty() ? QString(f.chkBeitrag[slot].Caption).remove(u'&') : name;
}

// A second direct-debit run that debits an owner a fee of a business year he already paid
// would collect it twice, whichever other fees either run held: asked before anything is
// written, under the run lock, so that a run that committed while this one was being
// prepared is seen. True when the run may go on.
bool repeatedRunConfirmed(FrmDTA &f, Database &db, const Buchungen &aBuchungen)
{
    QHash<long, fee_slots::SlotMask> slotsByOwner;
    slotsByOwner.reserve(qsizetype(aBuchungen.size()));
    for (const Buchung &b : aBuchungen) {
        const fee_slots::SlotMask mask = fee_slots::debitedSlots(f, b);
        // An owner the bank file leaves out pays nothing twice by this run.
        if (mask != 0 && debitable(b))
            slotsByOwner[b.Id_Personal] |= mask;
    }
    QStringList slotTexts;
    for (int k = 0; k < kFeeSlots; ++k)
        slotTexts.append(feeTextOf(f.chkBeitrag[std::size_t(k)].Caption));
    const std::optional<fee_slots::Repeat> repeat =
        fee_slots::findRepeat(db, f.txtWirtschaftsjahr.Text, slotsByOwner, slotTexts);
    if (!repeat)
        return true;
    QStringList fees;
    for (int k = 0; k < kFeeSlots; ++k)
        if ((repeat->mask >> k) & 1U)
            fees.append(u"„"_qs + slotName(f, k) + u"“"_qs);
    const QString year = fee_slots::yearKey(f.txtWirtschaftsjahr.Text);
    const QString when = repeat->created.isValid() ? formatDate(repeat->created, u"dd.mm.yyyy"_qs) : u"?"_qs;
    return f.ui().askYesNo(
        u"Für "_qs + year + u" sind bereits Beiträge gespeichert, die dieser Lauf ein zweites Mal einziehen würde: "_qs
            + fees.join(u", "_qs) + u" bei "_qs + QString::number(repeat->owners)
            + (repeat->owners == 1 ? u" Waldbesitzer"_qs : u" Waldbesitzern"_qs) + u" (zuletzt Lauf „"_qs + year
            + u' ' + repeat->typ + u"“ vom "_qs + when
            + u"). Wurde jener Lauf nicht eingezogen, löschen Sie ihn zuerst unter „gespeicherte Beiträge "
              "löschen“.\n\nTrotzdem fortfahren und diese Beiträge noch einmal einziehen?"_qs,
        u"SEPA"_qs);
}

// The run lock, once no bank file waits for its name. A run that committed a moment ago
// names its file and forgets its record right after, which it can only do while no one
// holds the lock: a record is waited for as the lock is, then the run is refused.
std::unique_ptr<RunLock> lockWithoutPendingFile(Database &db)
{
    QDeadlineTimer deadline(RunLock::kWaitMilliseconds);
    for (;;) {
        auto lock = std::make_unique<RunLock>(db);
        if (!bank_files::hasPending(db))
            return lock;
        lock.reset();
        if (deadline.hasExpired())
            throw RunError(RunError::Kind::Input, bank_files::pendingRefusal());
        QThread::msleep(100);
    }
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
        finishInterruptedRuns(f, true);
    const Buchungen &aBuchungen = run.records;
    QSet<long> notCollected;
    if (directDebit) {
        const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
        faultPoint("vor-sperre");
        const std::unique_ptr<RunLock> locked = lockWithoutPendingFile(*db);
        RunLock &lock = *locked;
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

} // namespace

void finishInterruptedRuns(FrmDTA &f, bool waitForLock)
{
    const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
    const bank_files::Recovery recovery =
        bank_files::finishInterruptedRuns(*db, f.strExportPfad, waitForLock ? RunLock::kWaitMilliseconds : 0);
    const QStringList lines = bank_files::messages(recovery);
    if (lines.isEmpty())
        return;
    WriteLogLines(f.context().programDir, f.clock(), lines);
    for (const QString &line : lines)
        tell(f, line, MsgIcon::Exclamation);
}

QString feeTextOf(QString caption)
{
    for (const QChar c : {u'\\', u'/', u':', u'?', u'<', u'>', u'|', u' ', u'\'', u'"'})
        caption.replace(c, u'_');
    return caption;
}

void BuildBeitragsText(FrmDTA &f)
{
    QString text;
    for (const CheckBox &box : f.chkBeitrag)
        if (box.Value == 1)
            text += box.Caption;
    f.strBeitragsText = feeTextOf(text);
}

RunReport cmdStart_Click(FrmDTA &f)
{
    RunReport report;
    std::optional<PreparedRun> run = PrepareRun(f, report);
    if (run && !runCheckConfirmed(f, *run))
        report.outcome = RunOutcome::Stopped;
    else if (run) {
        report.dueDate = run->check.figures.dueDate;
        runGuarded(f, report, [&] { writeSteps(f, *run, report); });
    }
    if (report.outcome != RunOutcome::Completed && !report.bankFile.isEmpty())
        report.outcome = RunOutcome::Unfinished;
    report.signal = pendingRunSignal();
    return report;
}

} // namespace qvl
