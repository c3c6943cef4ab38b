#include "run/StartChecks.h"

#include "app/FrmDTA.h"
#include "check/OutputFolders.h"
#include "run/TargetDrive.h"
#include "core/Iban.h"
#include "sepa/SepaDocument.h"

#include <QFileInfo>

#include <algorithm>

namespace qvl {

void tell(FrmDTA &f, const QString &text, MsgIcon icon)
{
    f.ui().message(text, {}, icon);
}

bool isDisketteTarget(bool directDebit, const QString &exportPfad)
{
    return directDebit && exportPfad.left(3).toUpper() == u"A:\\"_qs;
}

namespace {

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
    // The first invoice number, from which the accounting files number their bookings, is
    // read with the run's inputs: one that is no number stops the run before anything is
    // read, not when the accounting files are written after the bank file.
    if (isEmpty(f.txtBankKonto) && (isEmpty(f.txtWBVKonto) || isEmpty(f.txtMBTKonto))) {
        tell(f, u"Sie müssen die Kontonummer(n) für die FIBU eingeben!"_qs);
        return true;
    }
    return false;
}

bool directDebitInputsMissing(FrmDTA &f)
{
    // The bank collects on it; whether a typed one is a date is the run's reading of the form.
    if (f.txtFaellDat.Text.trimmed().isEmpty()) {
        tell(f, u"Das Fälligkeitsdatum ist nicht gültig."_qs, MsgIcon::None);
        return true;
    }
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
           || accountingInputsMissing(f);
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
    // Only asked here; the diskette is cleared when the run starts writing.
    if (!question.isEmpty() && !f.ui().askYesNo(question, u"SEPA"_qs)) {
        report.outcome = RunOutcome::Stopped;
        return false;
    }
    return !exportPfad.isEmpty();
}

} // namespace

bool startChecksPass(FrmDTA &f, bool directDebit, const QString &exportPfad, RunReport &report)
{
    if (directDebit ? directDebitInputsMissing(f) : invoiceInputsMissing(f)) {
        report.outcome = RunOutcome::Stopped;
        return false;
    }
    if (!prepareTarget(f, directDebit, exportPfad, report))
        return false;
    if (const QString missing = missingOutputFolder(f, directDebit, exportPfad); !missing.isEmpty()) {
        tell(f, missing, MsgIcon::Exclamation);
        report.outcome = RunOutcome::Stopped;
        return false;
    }
    return true;
}

} // namespace qvl
