#include "run/RunDriver.h"
#include "check/RunScreens.h"

#include "app/FrmDTA.h"
#include "fibu/FibuExport.h"
#include "params/EInvoiceFromForm.h"
#include "params/FibuFromForm.h"
#include "params/InvoiceFromForm.h"
#include "text/Conversions.h"
#include "run/EInvoiceStep.h"
#include "run/MailSendStep.h"
#include "run/MailStep.h"
#include "run/RegisterStep.h"
#include "run/ReportSteps.h"
#include "check/RunCheckBuilder.h"
#include "core/RunError.h"
#include "run/RunGuard.h"
#include "run/RunPreparation.h"
#include "run/StartChecks.h"
#include "run/TargetDrive.h"
#include "ledger/BankFiles.h"
#include "sepa/BookingSelection.h"
#include "core/ErrorLog.h"
#include "stored/FeeSlotRecord.h"
#include "stored/RunLock.h"
#include "run/SepaStep.h"
#include "einvoice/EInvoiceWriter.h"
#include "mail/Outbox.h"
#include "os/Paths.h"
#include "files/RunOutputs.h"
#include "ledger/OwnTables.h"
#include "ledger/RunCommit.h"
#include "ledger/RunManifest.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <sqlite3.h>
#include "stored/StoredFees.h"

#include "base/FaultPoints.h"

#include <QDeadlineTimer>
#include <QThread>


namespace qvl {

namespace {

// The folders of this desk where runs write: where a recovery looks for hidden files.
QStringList runFolders(FrmDTA &f)
{
    QStringList folders;
    const QString exportDir = nativePath(f.strExportPfad);
    if (exportDir.left(3).toUpper() != u"A:\\"_qs)
        folders << exportDir << eInvoiceFolder(f);
    folders << outboxFolder(f.strBerichtsPfad.isEmpty() ? f.strExportPfad : f.strBerichtsPfad);
    folders << nativePath(f.Dir1.Path) << runScreens(f.ui()).reportsFolder();
    folders.removeAll(QString());
    folders.removeDuplicates();
    return folders;
}

// The embedded database makes its commit durable before any file is named: with EXTRA it
// also syncs the folder after the journal is gone.
void durableCommits(Database &db)
{
    if (sqlite3 *handle = db.nativeSqlite())
        sqlite3_exec(handle, "PRAGMA synchronous=EXTRA", nullptr, nullptr, nullptr);
}

// The caption of a fee slot as the clerk knows it: the fee's name, else its box's caption.
QString slotName(const FrmDTA &f, int k)
{
    const auto slot = std::size_t(k);
    const QString name = f.aBeitragsNamen[slot].trimmed();
    return name.isEmpty() ? QString(f.chkBeitrag[slot].Caption).remove(u'&') : name;
}

// A second direct-debit run that debits an owner a fee of a business year he already paid
// would collect it twice, whichever other fees either run held. std::nullopt when no owner
// would.
std::optional<fee_slots::Repeat> repeatOf(FrmDTA &f, Database &db, const Buchungen &aBuchungen)
{
    QHash<long, fee_slots::SlotMask> slotsByOwner;
    slotsByOwner.reserve(qsizetype(aBuchungen.size()));
    for (const Buchung &b : aBuchungen) {
        const fee_slots::SlotMask mask = fee_slots::debitedSlots(tickedSlots(f), b);
        // An owner the bank file leaves out pays nothing twice by this run.
        if (mask != 0 && debitable(b))
            slotsByOwner[b.Id_Personal] |= mask;
    }
    QStringList slotTexts;
    for (int k = 0; k < kFeeSlots; ++k)
        slotTexts.append(feeTextOf(f.chkBeitrag[std::size_t(k)].Caption));
    return fee_slots::findRepeat(db, f.txtWirtschaftsjahr.Text, slotsByOwner, slotTexts);
}

bool sameRepeat(const fee_slots::Repeat &a, const fee_slots::Repeat &b)
{
    return a.mask == b.mask && a.owners == b.owners && a.typ == b.typ && a.created == b.created;
}

// The repeated-run question, asked before anything is written. True when the run may go on.
bool repeatConfirmed(FrmDTA &f, Database &db, const fee_slots::Repeat &repeat, const Buchungen &aBuchungen)
{
    // The earlier run's fee notices by e-mail: those sent cannot be taken back.
    QSet<long> owners;
    for (const Buchung &b : aBuchungen)
        owners.insert(b.Id_Personal);
    const QString mails = earlierRunMailsText(
        mailsOfEarlierRun(f, db, owners, fee_slots::yearKey(f.txtWirtschaftsjahr.Text), repeat.typ, repeat.created));
    QStringList fees;
    for (int k = 0; k < kFeeSlots; ++k)
        if ((repeat.mask >> k) & 1U)
            fees.append(u"„"_qs + slotName(f, k) + u"“"_qs);
    const QString year = fee_slots::yearKey(f.txtWirtschaftsjahr.Text);
    const QString when = repeat.created.isValid() ? formatDate(repeat.created, u"dd.mm.yyyy"_qs) : u"?"_qs;
    return f.ui().askYesNo(
        u"Für "_qs + year + u" sind bereits Beiträge gespeichert, die dieser Lauf ein zweites Mal einziehen würde: "_qs
            + fees.join(u", "_qs) + u" bei "_qs + QString::number(repeat.owners)
            + (repeat.owners == 1 ? u" Waldbesitzer"_qs : u" Waldbesitzern"_qs) + u" (zuletzt Lauf „"_qs + year
            + u' ' + repeat.typ + u"“ vom "_qs + when
            + u"). Wurde jener Lauf nicht eingezogen, löschen Sie ihn zuerst unter „gespeicherte Beiträge "
              "löschen“."_qs
            + (mails.isEmpty() ? QString() : u"\n\n"_qs + mails)
            + u"\n\nTrotzdem fortfahren und diese Beiträge noch einmal einziehen?"_qs,
        u"SEPA"_qs);
}

// The row that says this database began the run, before its first file; it goes with the
// run's files when they are removed, or with its manifest. Kept where the outcome is open.
class StartRecord {
public:
    StartRecord(Database &db, const QString &runId, const QString &databaseId, const QString &folder)
        : m_db(db), m_runId(runId)
    {
        try {
            run_manifest::recordStart(db, runId, databaseId, folder);
        } catch (const DbError &e) {
            m_keep = true; // nothing to forget
            throw DbError(u"Der Beginn des Laufs konnte nicht in der Datenbank vermerkt werden (ist ihr Datenträger "
                          "voll oder schreibgeschützt?). Es wurde nichts geschrieben.\n"_qs
                          + e.message());
        }
    }
    ~StartRecord()
    {
        if (m_keep)
            return;
        try {
            run_manifest::forgetStart(m_db, m_runId);
        } catch (const DbError &) {
            // A start row without files is harmless.
        }
    }
    StartRecord(const StartRecord &) = delete;
    StartRecord &operator=(const StartRecord &) = delete;
    void keep() { m_keep = true; }

private:
    Database &m_db;
    QString m_runId;
    bool m_keep = false;
};

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

// The own tables this connection lacks, for a message (all of them when it cannot tell).
QStringList missingOwnTablesOr(FrmDTA &f)
{
    try {
        const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
        return missingOwnTables(*db);
    } catch (const DbError &) {
        QStringList all;
        for (const OwnTable &table : ownTables())
            all.append(table.name);
        return all;
    }
}

// Gives the report the names the files got (another program may have taken a name first).
void takeNames(const RunOutputs &outputs, RunReport &report, SepaExport &sepa)
{
    // The outputs' paths are absolute, the report's as the writers were given them: a file
    // keeps its text unless it got another name.
    QHash<QString, QString> renamed;
    for (const RunOutput &o : outputs.entries())
        if (!o.named.isEmpty() && o.named != candidateName(o, o.first))
            renamed.insert(QFileInfo(candidateName(o, o.first)).absoluteFilePath(), nativePath(o.named));
    const auto named = [&renamed](const QString &file) {
        return renamed.value(QFileInfo(nativePath(file)).absoluteFilePath(), file);
    };
    for (QString &file : report.outputs)
        file = named(file);
    sepa.file = named(sepa.file);
}

// The second half: every output of the run written whole and hidden, then the one commit
// of the stored fees with the manifest of the outputs, then only their names.
void writeSteps(FrmDTA &f, PreparedRun &run, RunReport &report)
{
    const bool directDebit = run.directDebit;
    const QString &exportPfad = run.exportPfad;
    const bool diskette = isDisketteTarget(directDebit, exportPfad);
    const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
    try {
        ensureOwnTables(*db); // before anything is written
    } catch (const RunError &) {
        report.ownTablesMissing = true;
        throw;
    }
    if (diskette)
        ClearDiskette();
    finishInterruptedRuns(f, true);
    const QString databaseId = run_manifest::ensureDatabaseId(*db);
    durableCommits(*db);
    faultPoint("vor-sperre");
    const QString runId = RunOutputs::newRunId();
    const SenderNameForRun senderName(f);
    std::optional<StartRecord> started;
    // The question is asked without the lock, so that no other writer of the database waits
    // on the clerk; under the lock the stored fees are looked at again, and a run committed
    // meanwhile brings the question back.
    const Buchungen &aBuchungen = run.records;
    std::optional<fee_slots::Repeat> confirmed;
    std::unique_ptr<RunLock> locked;
    for (;;) {
        if (directDebit) {
            const std::optional<fee_slots::Repeat> repeat = repeatOf(f, *db, aBuchungen);
            if (repeat && !(confirmed && sameRepeat(*repeat, *confirmed))) {
                if (!repeatConfirmed(f, *db, *repeat, aBuchungen)) {
                    report.outcome = RunOutcome::Stopped;
                    return;
                }
                confirmed = repeat;
            }
        }
        faultPoint("nach-frage");
        if (!started)
            started.emplace(*db, runId, databaseId, exportPfad);
        // A direct-debit run waits for, then refuses beside, a run whose files still wait
        // for their names: its debits are stored and would be collected a second time.
        locked = directDebit ? lockWithoutPendingFile(*db) : std::make_unique<RunLock>(*db);
        if (!directDebit)
            break;
        const std::optional<fee_slots::Repeat> now = repeatOf(f, *db, aBuchungen);
        if (!now || (confirmed && sameRepeat(*now, *confirmed)))
            break;
        locked.reset();
    }
    RunLock &lock = *locked;
    stopIfInterrupted();

    RunOutputs outputs(databaseId, runId);
    MadeReports made;
    SepaExport sepa;
    QStringList notices;
    try {
        // Every writer is handed the run's list: its files stay hidden until the commit.
        if (directDebit) {
            sepa = CreateSEPAFile(f, run.inputs, exportPfad, aBuchungen, *db, outputs);
            report.outputs.append(sepa.file);
            MakeSlip(f, outputs, sepa, made);
        }
        stopIfInterrupted();
        MakeListsAndLetters(f, run.inputs, outputs, aBuchungen, report, made, sepa.notCollected,
                            [&](const Report &letters) {
                                const EInvoiceOutcome eInvoices = ERechnungStep(
                                    f, run.inputs, &outputs, aBuchungen, letters, sepa.notCollected, report);
                                return MailStep(f, run.inputs, &outputs, aBuchungen, letters, eInvoices, report);
                            });
        f.ui().setProgress(0, 0);
        stopIfInterrupted();
        report.firstAccountingFile = report.outputs.size();
        fibu::FibuSettings accounting = fibuSettings(f, run.inputs);
        accounting.outputs = &outputs;
        notices = ExportFibu(accounting, aBuchungen, report.outputs, sepa.notCollected);
        stopIfInterrupted();
        // The run's documents join its commit: stored with its fees and files, or not at all.
        registerRun(f, run.inputs, aBuchungen, *db, directDebit, sepa, report, runId);
        faultPoint("register-geschrieben");
        stopIfInterrupted();
    } catch (...) {
        outputs.writeDeferredLog(nullptr); // what the data lacked, for the clerk to mend
        throw;
    }

    NamingResult naming;
    QString storedDespiteError;
    try {
        naming = commitRun(*db, lock, outputs,
                           [&f] { return Database::open(f.strConnectionString, f.connectionOptions); });
    } catch (const UncertainCommit &uncertain) {
        started->keep();
        report.outputs.clear(); // none of them has its name
        tell(f, uncertainCommitMessage(uncertain), MsgIcon::Critical);
        report.outcome = RunOutcome::Unfinished;
        return;
    } catch (const CommitErrorButStored &stored) {
        naming = stored.naming;
        storedDespiteError = storedDespiteErrorMessage(stored);
    } catch (const DbError &) {
        report.outputs.clear(); // removed with the commit that failed
        throw;
    }
    started->keep(); // gone with the manifest, or left for the start that names the files
    takeNames(outputs, report, sepa);
    if (directDebit) {
        report.bankFile = sepa.file;
        report.debits = sepa.numberOfTransactions;
        report.controlSumCent = sepa.controlSumCent;
        report.leftOut = int(sepa.notCollected.size());
    }
    if (!naming.problems.isEmpty())
        throw RunError(RunError::Kind::Output, naming.problems.join(u'\n'));
    QString logError;
    if (!outputs.writeDeferredLog(&logError)
        || (directDebit && !WriteLogLines(nullptr, f.context().programDir, f.clock(), sepa.logLines, &logError)))
        throw RunError(RunError::Kind::Output, logError);
    if (directDebit) {
        if (sepa.dataErrors > 0) {
            report.logFile = logFilePath(f.context().programDir);
            tell(f, sepaErrorsMessage(report.logFile), MsgIcon::None);
            f.ui().openFile(logFilePath(f.context().programDir));
        }
        if (diskette) {
            f.strVolume = formatDate(f.clock().now(), u"hh_mm_ss"_qs);
            SetDisketteLabel(f.strVolume);
        }
    }
    if (const int signal = pendingRunSignal())
        throw RunError(RunError::Kind::Output, u"Der Beitragslauf wurde angehalten ("_qs
                                                   + QString::fromLatin1(signalName(signal))
                                                   + u"); seine Dateien haben ihre Namen."_qs);
    ShowReports(f, made, report);
    for (const QString &notice : notices)
        tell(f, notice, MsgIcon::Exclamation);
    if (!storedDespiteError.isEmpty()) {
        tell(f, storedDespiteError, MsgIcon::Critical);
        report.outcome = RunOutcome::Unfinished;
    }
}

// The check before the run, shown until the clerk starts the run or cancels it; taking the
// proposed due date sets it and shows the check again. A check with an error cannot start.
bool runCheckConfirmed(FrmDTA &f, PreparedRun &run)
{
    for (;;) {
        switch (runScreens(f.ui()).showRunCheck(run.check)) {
        case RunCheckChoice::Start:
            return !run.check.hasErrors();
        case RunCheckChoice::Cancel:
            return false;
        case RunCheckChoice::TakeDueDate:
            if (!run.check.proposedDueDate)
                return false;
            // The box shows the date the run now collects on.
            run.inputs.dueDate = *run.check.proposedDueDate;
            f.txtFaellDat.Text = formatDate(run.inputs.dueDate, u"dd.mm.yyyy"_qs);
            checkDueDate(f, run.inputs, run.check);
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

void finishInterruptedRuns(FrmDTA &f, bool waitForLock)
{
    const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
    const bank_files::Recovery recovery =
        bank_files::finishInterruptedRuns(*db, runFolders(f), waitForLock ? RunLock::kWaitMilliseconds : 0);
    const QStringList lines = bank_files::messages(recovery);
    if (lines.isEmpty())
        return;
    WriteLogLines(nullptr, f.context().programDir, f.clock(), lines);
    tell(f, lines.join(u"\n\n"_qs), MsgIcon::Exclamation);
}

bool offerOwnTables(FrmDTA &f)
{
    if (!f.ui().askYesNo(u"Die eigenen Tabellen des Programms fehlen. Sollen sie jetzt mit dieser Anmeldung angelegt "
                         "werden? (Dazu braucht sie das Recht, Tabellen anzulegen.)\nNein zeigt die "
                         "T-SQL-Anweisungen für den Datenbankverwalter."_qs)) {
        f.ui().message(u"Diese Anweisungen legen die eigenen Tabellen des Programms an (sie dürfen mehrmals "
                       "ausgeführt werden):\n\n"_qs
                           + ownTablesSqlServerScript(),
                       u"init-db"_qs, MsgIcon::Information);
        return false;
    }
    try {
        const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
        createOwnTables(*db);
        run_manifest::ensureDatabaseId(*db);
        f.ui().message(u"Die eigenen Tabellen des Programms sind angelegt."_qs, u"init-db"_qs, MsgIcon::Information);
        return true;
    } catch (const NoRightToCreate &refused) {
        f.ui().message(initDbMessage(missingOwnTablesOr(f), refused.reason), u"init-db"_qs, MsgIcon::Critical);
    } catch (const DbError &e) {
        f.ui().message(e.message(), u"init-db"_qs, MsgIcon::Critical);
    }
    return false;
}

QString pendingRunsNotice(FrmDTA &f)
{
    const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);
    return bank_files::pendingNotice(*db, runFolders(f));
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
    proposeNextInvoiceNumberAfterRun(f);
    report.signal = pendingRunSignal();
    return report;
}

} // namespace qvl
