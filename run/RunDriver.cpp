#include "run/RunDriver.h"

#include "app/FrmDTA.h"
#include "fibu/FibuExport.h"
#include "platform/Conversions.h"
#include "platform/DatabaseCheck.h"
#include "run/AmountLimits.h"
#include "run/EInvoiceStep.h"
#include "run/FeeCalculation.h"
#include "run/InvoiceDate.h"
#include "run/MemberQuery.h"
#include "run/OutputFolders.h"
#include "run/ReportSteps.h"
#include "run/RunError.h"
#include "run/TargetDrive.h"
#include "sepa/BankFiles.h"
#include "sepa/ErrorLog.h"
#include "sepa/Iban.h"
#include "sepa/RecordTransliteration.h"
#include "sepa/RunLock.h"
#include "sepa/SepaDocument.h"
#include "sepa/SepaWriter.h"
#include "sepa/StoredFees.h"

#include "platform/FaultPoints.h"

#include <QFileInfo>

namespace qvl {

namespace {

// A message of the start button or of the run: OK only, no title.
void tell(FrmDTA &f, const QString &text, MsgIcon icon = MsgIcon::Information)
{
    f.ui().message(text, {}, icon);
}

// A direct-debit run whose export folder is the diskette drive.
bool isDisketteTarget(bool directDebit, const QString &exportPfad)
{
    return directDebit && exportPfad.left(3).toUpper() == u"A:\\"_qs;
}

bool isEmpty(const TextBox &box)
{
    return box.Text.isEmpty();
}

using RequiredBoxes = std::initializer_list<std::pair<const TextBox *, const char16_t *>>;

// Tells the message of the first empty box; true when there is one.
bool anyEmpty(FrmDTA &f, RequiredBoxes required)
{
    for (const auto &[box, text] : required)
        if (isEmpty(*box)) {
            tell(f, QString::fromUtf16(text));
            return true;
        }
    return false;
}

// The two accounting checks shared by both payment types.
bool accountingInputsMissing(FrmDTA &f)
{
    if (f.strFibu.isEmpty())
        return false;
    if (f.Dir1.Path.isEmpty()) {
        tell(f, u"Sie müssen einen Zielpfad für die FIBU-Übernahme eingeben!"_qs);
        return true;
    }
    if (isEmpty(f.txtBankKonto) && (isEmpty(f.txtWBVKonto) || isEmpty(f.txtMBTKonto))) {
        tell(f, u"Sie müssen die Kontonummer(n) für die FIBU eingeben!"_qs);
        return true;
    }
    // The accounting files number their bookings from it. Found out only when they are
    // written, after the bank file, it would leave a collected run without them.
    const QString firstNumber = f.txtRechNr.Text.trimmed();
    if (!parseNumber(u'0' + firstNumber)) {
        tell(f, u"Die Rechnungsnummer „"_qs + firstNumber + u"“ ist keine Zahl."_qs);
        return true;
    }
    return false;
}

// Printed on every invoice and booked by the accounting files; found out only by them, it
// would leave a run half printed.
bool invoiceDateInvalid(FrmDTA &f)
{
    if (invoiceDate(f))
        return false;
    tell(f, invalidInvoiceDateMessage(), MsgIcon::None);
    return true;
}

bool directDebitInputsMissing(FrmDTA &f)
{
    if (isEmpty(f.txtFaellDat) || !isDate(f.txtFaellDat.Text)) {
        tell(f, u"Das Fälligkeitsdatum ist nicht gültig."_qs, MsgIcon::None);
        return true;
    }
    // Stored with every collected fee: an invalid one would be stored as nothing at all.
    if (invoiceDateInvalid(f))
        return true;
    if (anyEmpty(f, {{&f.txtBankleitzahl, u"Sie müssen eine BIC eingeben!"},
                     {&f.txtKontonummer, u"Sie müssen eine IBAN eingeben!"},
                     {&f.txtFirmenName, u"Sie müssen einen Firmennamen eingeben!"},
                     {&f.txtBank, u"Sie müssen eine Bank eingeben!"}}))
        return true;
    if (isEmpty(f.txtGlaubigerID)) {
        tell(f, u"Es muss eine GläubigerID eingegeben werden."_qs, MsgIcon::None);
        return true;
    }
    // The bank refuses a whole file whose creditor identifier fails ISO 7064 mod 97-10.
    if (!isValidCreditorId(f.txtGlaubigerID.Text)) {
        tell(f, u"Die GläubigerID ist ungültig. Bitte prüfen Sie die Eingabe."_qs, MsgIcon::None);
        return true;
    }
    // The creditor's account goes into every debit: a typing error in it would send the whole
    // file to the bank for an account that cannot exist, or make a file the schema refuses.
    if (!isValidIban(normalisedIban(f.txtKontonummer.Text))) {
        tell(f, u"Die IBAN ist ungültig. Bitte prüfen Sie die Eingabe."_qs, MsgIcon::None);
        return true;
    }
    if (!isSchemaBic(sepaFormatFromText(f.cmbSEPAFormat.Text()), normalisedIban(f.txtBankleitzahl.Text))) {
        tell(f, u"Die BIC ist ungültig. Bitte prüfen Sie die Eingabe."_qs, MsgIcon::None);
        return true;
    }
    return accountingInputsMissing(f);
}

bool invoiceInputsMissing(FrmDTA &f)
{
    return anyEmpty(f, {{&f.txtFirmenName, u"Sie müssen einen Firmennamen eingeben!"},
                        {&f.txtAdresse, u"Sie müssen eine Adresse eingeben!"},
                        {&f.txtPLZ, u"Sie müssen eine PLZ eingeben!"},
                        {&f.txtOrt, u"Sie müssen einen Ort eingeben!"},
                        {&f.txtRechNr, u"Sie müssen eine Rechnungsnummer eingeben!"}})
           || invoiceDateInvalid(f) || accountingInputsMissing(f);
}

// Steps 1 to 7 of the run: what must hold before anything is read or written.
// False when the run ends here.
bool prepareTarget(FrmDTA &f, bool directDebit, const QString &exportPfad, RunReport &report)
{
    if (f.bFBGVersion && f.lbPersons.ListIndex < 0) {
        tell(f, u"Sie müssen eine FBG auswählen, für den SEPA Bankeinzug!"_qs);
        report.outcome = RunOutcome::Stopped;
        return false;
    }
    const bool anyFee = std::any_of(f.chkBeitrag.begin(), f.chkBeitrag.end(), [](const CheckBox &c) { return c.Value == 1; });
    if (!anyFee && !f.rbEinstellung[1].Value && !f.rbEinstellung[2].Value) {
        tell(f, u"Sie müssen einen oder mehrere Beiträge zur Berechnung auswählen"_qs);
        report.outcome = RunOutcome::Stopped;
        return false;
    }

    const bool diskette = isDisketteTarget(directDebit, exportPfad);
    if (diskette && !DisketteWritable()) {
        tell(f,
             u"Fehler beim Schreiben der Datei aufgetreten!\r\n\r\nFolgende Probleme könnten die Ursache sein: \r\n"
             "1) Es ist kein Datenträger eingelegt!\r\n2) Der Datenträger ist nicht formatiert!\r\n"
             "3) Der Datenträger ist defekt!"_qs,
             MsgIcon::Critical);
        report.outcome = RunOutcome::Stopped;
        return false;
    }
    QString question;
    if (diskette)
        question = u"VORSICHT: Alle Daten auf der Diskette werden gelöscht! Wollen Sie das wirklich?"_qs;
    else if (directDebit && QFileInfo(exportPfad).isFile())
        question = u"VORSICHT: Datei existiert bereits! Wollen Sie die Datei "_qs + exportPfad + u" überschreiben?"_qs;
    if (!question.isEmpty() && !f.ui().askYesNo(question, u"SEPA"_qs)) {
        report.outcome = RunOutcome::Stopped;
        return false;
    }
    if (diskette)
        ClearDiskette();
    return !exportPfad.isEmpty();
}

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

// Steps 9 to 14: the records, their fees, and the writers.
void runSteps(FrmDTA &f, bool directDebit, const QString &exportPfad, RunReport &report)
{
    if (f.SQLConn)
        checkEmbeddedDatabase(*f.SQLConn);
    if (directDebit)
        finishInterruptedRuns(f);
    Buchungen aBuchungen;
    RunMemberQuery(f, aBuchungen);
    stopIfInterrupted();
    if (aBuchungen.empty()) {
        tell(f, u"Keine Waldbesitzer für Beitragsabrechnung vorhanden!"_qs);
        return;
    }
    CalcBeitraege(f, aBuchungen, f.bRundeBeitrag);
    if (aBuchungen.empty()) {
        tell(f, u"Beträge für alle (selektierten) Waldbesitzer sind 0!"_qs);
        return;
    }
    CheckBetraege(f, aBuchungen);
    report.billed = int(aBuchungen.size());
    double cents = 0;
    for (const Buchung &b : aBuchungen)
        cents += b.Summe;
    report.total = cents / 100;
    ReplaceUmlaute(aBuchungen);
    stopIfInterrupted();

    // In both kinds of run last the accounting export.
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
        notCollected = writeDirectDebit(f, exportPfad, isDisketteTarget(directDebit, exportPfad), aBuchungen, *db,
                                        lock, report);
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

// A step after the bank file failed: the clerk must know that the debits are on their way
// to the bank, or a second run would collect them again.
QString bankFileNote(const RunReport &report)
{
    if (report.bankFile.isEmpty())
        return {};
    return u"\n\nDie SEPA-Datei „"_qs + report.bankFile
           + u"“ ist erstellt und die Beiträge sind gespeichert. Wiederholen Sie den Lauf nicht, sonst werden "
             "dieselben Lastschriften ein zweites Mal eingezogen."_qs;
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
    f.strWaehrung = f.txtWaehrung.Text;
    BuildBeitragsText(f);

    const bool directDebit = f.LaoderRe[0].Value;
    report.directDebit = directDebit;
    if (directDebit ? directDebitInputsMissing(f) : invoiceInputsMissing(f)) {
        report.outcome = RunOutcome::Stopped;
        return report;
    }

    const QString exportPfad = f.strExportPfad;
    if (!prepareTarget(f, directDebit, exportPfad, report))
        return report;
    if (const QString missing = missingOutputFolder(f, directDebit, exportPfad); !missing.isEmpty()) {
        tell(f, missing, MsgIcon::Exclamation);
        report.outcome = RunOutcome::Stopped;
        return report;
    }

    BusyPointer busy(f.ui());
    clearRunSignal();
    RunSignalScope signalScope;
    try {
        runSteps(f, directDebit, exportPfad, report);
    } catch (const RunError &e) {
        const bool input = e.kind() == RunError::Kind::Input;
        tell(f, e.message() + bankFileNote(report), input ? MsgIcon::Exclamation : MsgIcon::Critical);
        report.outcome = input ? RunOutcome::Stopped : RunOutcome::Failed;
        if (e.kind() == RunError::Kind::Interrupted)
            report.outcome = RunOutcome::Interrupted;
    } catch (const DbError &e) {
        tell(f, u"Der Beitragslauf wurde abgebrochen.\n"_qs + e.message() + bankFileNote(report), MsgIcon::Critical);
        report.outcome = RunOutcome::Failed;
    }
    if (report.outcome != RunOutcome::Completed && !report.bankFile.isEmpty())
        report.outcome = RunOutcome::Unfinished;
    report.signal = pendingRunSignal();
    return report;
}

} // namespace qvl
