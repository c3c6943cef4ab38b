#pragma once
// The main form's state without widgets: the public settings fields every subsystem reads,
// the form's private state, and the value of every control. The GUI shows these values in
// widgets; the batch front end and the tests reach them by name through names().

#include "app/AppContext.h"
#include "app/InputRules.h"
#include "core/Buchung.h"
#include "core/ERechnungSetting.h"
#include "core/MailSettings.h"
#include "files/AnsiTextFile.h"
#include "app/ControlRegistry.h"
#include "db/Database.h"
#include "app/FormControls.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

namespace qvl {

struct ReportDesigns;

inline constexpr int kSlotArray = 6;      // per-slot arrays hold 0..5
inline constexpr int kMaxEntries = 101;   // rows 0..100 of the per-entry tables
inline constexpr int kStaffelBoxes = 22;

// The calculation modes of the options rbEinstellung(0..3), as the settings file names them.
inline const QStringList kBerechnungsarten{QStringLiteral("QVL"), QStringLiteral("HaStaffel"),
                                           QStringLiteral("Formel"), QStringLiteral("HaStaffelProHa")};

inline constexpr int kDefaultLeadDays = 1;
inline constexpr int kDefaultPreNotificationDays = 14;
inline constexpr int kDefaultComparisonPercent = 25;
inline constexpr int kDefaultBusinessYearStart = 1; // January
// The ranges the settings above accept (a file's value outside falls back to the default).
inline constexpr int kMaxLeadDays = 30;
inline constexpr int kMinPreNotificationDays = 1;
inline constexpr int kMaxPreNotificationDays = 366;
inline constexpr int kMaxComparisonPercent = 10000;

inline const QString kProgramCaption = QStringLiteral("QVL32 - SEPA - Beitragseinzug");
// Refused input is told under the program's own name, as every other message.
inline const QString kInputErrorTitle = kProgramCaption;

class FrmDTA {
public:
    explicit FrmDTA(AppContext context);
    ~FrmDTA();
    FrmDTA(const FrmDTA &) = delete;
    FrmDTA &operator=(const FrmDTA &) = delete;

    const AppContext &context() const { return m_context; }
    UserInterface &ui() const { return *m_context.ui; }
    const Clock &clock() const { return *m_context.clock; }
    ControlRegistry &names() { return m_names; }

    // ---- Public settings fields ----
    QString strFirma;
    QString strServerName;
    QString strDataBaseName;
    QString strConnectionString;
    QString strFibu;
    QString strBerechnungsbasis;
    QString strZielVerzeichnis;
    bool bFBGVersion = false;
    bool bBeitraegeNetto = false;
    QString bWarnmeldungBankverbindung; // a text despite its prefix
    std::unique_ptr<Database> SQLConn;
    QString strWBIN;
    QString strWaehrung;
    QString strExportPfad;
    QString strBeitragsText;
    QString strVolume; // the volume label a diskette run gives drive A:
    // (i, 0) name, (i, 1) text; 101 rows, grown only when a settings file holds more models.
    QList<std::array<QString, 2>> aModelle = QList<std::array<QString, 2>>(kMaxEntries);
    int lModelle = 0;
    QString qvlIniPath;
    // Who gets an e-invoice (setting "ERechnung"): "Unternehmer", "Alle" or "Keine".
    QString strERechnung = QStringLiteral("Unternehmer");
    // What the check before a run holds against (settings "VorlaufBankarbeitstage",
    // "VorabankuendigungTage", "VergleichAbweichungProzent"): the TARGET2 business days the
    // bank needs between today and the due date (1: the CORE scheme's D-1; a bank's own
    // cut-off may need 2); the calendar days a fee notice, the debit's pre-notification,
    // must lie before the due date (14 unless the association agreed a shorter period with
    // its members); and how far, in percent, an owner's fee may differ from last year's
    // before the check names him.
    int lVorlaufBankarbeitstage = kDefaultLeadDays;
    int lVorabankuendigungTage = kDefaultPreNotificationDays;
    int lVergleichAbweichungProzent = kDefaultComparisonPercent;
    // What the invoices state for tax law (settings "WirtschaftsjahrBeginn", "UStIdNr",
    // "Steuerbefreiung1" … "Steuerbefreiung5"): the month (1–12) the business year begins
    // in, the association's VAT identifier (empty: none), and per fee the reason why a fee
    // without VAT carries none ("Versicherungsleistung, steuerfrei nach § 4 Nr. 10 UStG",
    // "Kleinunternehmer nach § 19 UStG").
    int lWirtschaftsjahrBeginn = kDefaultBusinessYearStart;
    QString strUStIdNr;
    std::array<QString, kFeeSlots> aSteuerbefreiung{kDefaultExemptionReason, kDefaultExemptionReason,
                                                     kDefaultExemptionReason, kDefaultExemptionReason,
                                                     kDefaultExemptionReason};
    // Where the run's reports land as files (the batch program's --reports); empty: the
    // export folder. The e-invoices go into its folder "E-Rechnungen".
    QString strBerichtsPfad;
    // Who gets his letter by e-mail and how the mails are sent (keys "EMail…", "SMTP…").
    MailSettings mail;

    // ---- Private state ----
    QString strBerechnungsart;
    std::array<bool, kSlotArray> bRundeBeitrag{};
    std::array<std::array<QString, kSlotArray>, kMaxEntries> aMindestbeitraege;
    QString strSteuernummerfeld;
    bool bEinstellungenGelesen = false;
    // What the settings file was read as (a modern editor saves UTF-8): saved in the same.
    TextEncoding settingsEncoding = TextEncoding::Cp1252;
    // Values of the settings file that could not be used and gave way to their default
    // ("KEY = „value“, stattdessen …"); told once at start.
    QStringList settingsFallbacks;
    QString strAbsenderNichtDrucken;
    QList<long> aFBGNr{0};
    std::array<QString, kSlotArray> aBeitragsNamen;
    QString strLetztesLaufwerk;
    // How strConnectionString is opened (ODBC driver, folder of a relative SQLite file);
    // set at start-up, used by every step that opens a connection of its own.
    DbOptions connectionOptions;
    // The form's report designs, built on first use by app/FormDesigns (designs()): what a
    // run changes in them stays for the form's later runs.
    mutable std::shared_ptr<ReportDesigns> reports;

    // ---- Window ----
    QString Caption = kProgramCaption;
    TabStrip SSTab1{{QStringLiteral("Allgemein"), QStringLiteral("DATEV-FIBU"), QStringLiteral("Berechnungsbasis")}};

    // ---- Tab "Allgemein": creditor ----
    ListBox lbPersons;
    Label Label8{QStringLiteral("FBG:")};
    TextBox txtFirmenName, txtAdresse, txtPLZ, txtOrt, txtTelefon, txtTelefax, txtEmail, txtBank,
        txtBankleitzahl, txtKontonummer, txtGlaubigerID, txtReferenznummer, txtVerwendungszweck,
        txtSteuernummer;

    // ---- Tab "Allgemein": fees ----
    std::array<CheckBox, kFeeSlots> chkBeitrag;
    std::array<TextBox, kFeeSlots> txtMindestbeitrag; // txtMindestbeitrag1 … txtMindestbeitrag5
    std::array<TextBox, kFeeSlots> txtMwst;

    // ---- Tab "Allgemein": run inputs and print options ----
    TextBox txtFaellDat, txtRechDat, txtRechNr{QStringLiteral("1")}, txtWirtschaftsjahr, txtWaehrung;
    std::array<OptionButton, 2> LaoderRe;
    CheckBox chkRechnung{QStringLiteral("&mit Rechnung")};
    CheckBox chkEinzelbuchungen{QStringLiteral("&Einzelbuchungen drucken"), 1};
    CheckBox chkUeberschrift{QStringLiteral("Rechnungs&überschrift drucken"), 1};
    std::array<OptionButton, 3> Sort;
    CheckBox chkVerwendungszweck{QStringLiteral("SEPA Verwendungszweck: VZ + FIBUNr + RNr")};
    CheckBox chkKopf{QStringLiteral("Kopf auf Rechnung drucken")};
    CheckBox chkBank{QStringLiteral("Bankverbindung auf Rechnung")};
    CheckBox chkERechnung{QStringLiteral("E-Rechnungen (ZUGFeRD) für Unternehmer"), 1};
    CheckBox chkEMail{QStringLiteral("Rechnungen per E-Mail versenden")};
    TextBox txtLogo;
    TextBox txtFixtext;
    ListBox cmbModell;
    ListBox cmbBeitraege;
    // The bank format of the SEPA file ("SEPA-Format:"): pain.008.001.08 or pain.008.001.02.
    ListBox cmbSEPAFormat;
    TextBox txtAbsenderLinks{QStringLiteral("945")}, txtAbsenderOben{QStringLiteral("2085")},
        txtAnschriftLinks{QStringLiteral("945")}, txtAnschriftOben{QStringLiteral("3380")};

    // ---- Tab 1: accounting ----
    DriveListBox Drive1;
    DirListBox Dir1;
    Label lblBankKonto{QStringLiteral("Bankkonto:")};
    TextBox txtBankKonto;
    Frame fraBeitragskonten{QStringLiteral("Beitragskonten")};
    std::array<Label, kFeeSlots> lblBeitr;
    TextBox txtMBTKonto, txtWBVKonto, txtHaftpflichtkonto, txtSturmkonto, txtKonto5;

    // ---- Tab "Berechnungsbasis" ----
    TextBox txtBezeichnung;
    std::array<OptionButton, 4> rbEinstellung;
    std::array<Frame, 3> grpEinstellung;
    CheckBox chkAnteiligeBerechnung;
    CheckBox chkSonderbeitrag{QStringLiteral("Durch Sonderbeitrag ersetzen")};
    std::array<TextBox, kStaffelBoxes> txtStaffel;
    CheckBox chkRundeHAauf{QStringLiteral("Mit aufgerundeten Hektar rechnen...")};
    TextBox txtPreisMindestbetrag, txtHaMindestbetrag, txtHaZuschlag, txtPreisZuschlag, txtHoechstbeitrag;
    CheckBox chkKomma{QStringLiteral("Kommastellen auf ganze Werte runden")};

    // ---- Operations of the form ----
    // The Nummer of the selected creditor list entry, 0 when none is selected.
    long GetFBGNr() const;
    // Fills the creditor list from the database and selects its first entry.
    void LoadFBGListe();
    // Loads the selected creditor's address, bank details and tax number.
    void LoadCreditorData();
    // The invoice text models: the combo box from aModelle, and one model's text.
    void LoadModelle();
    QString LoadModell(const QString &strModell) const;
    // The user's choices, with the form's reactions.
    void LaoderRe_Click(int index);
    void rbEinstellung_Click(int index);
    void lbPersons_Click();
    void txtMindestbeitrag_Validate(int number); // number 1..5
    // Shows the selected entry's stored minimum fees in the five boxes.
    void ShowMindestbeitraege();
    void cmbModell_Click();
    // Leaving a formatted decimal box: false (and a message) when it holds no number.
    bool LeaveDecimalBox(TextBox &box, int decimals);
    // Leaving a box of an amount, a rate, the business year or a date (app/InputRules):
    // false (and a message) when it holds what the rule cannot read; an accepted year or
    // date is written plainly ("2026", "06.12.2026").
    bool LeaveCheckedBox(TextBox &box, BoxRule rule);
    // Leaving "Rechnungs Nr.": false (and a message) unless it holds a whole number from 1
    // to 999.999.999; an accepted number is written plainly ("007" becomes "7").
    bool LeaveInvoiceNumberBox();
    void SetGruppeEnabled(int panel, bool on);
    // A box whose value the form refused keeps the text as typed, but the value must never
    // be saved or run with. Leaves the first such box the user can reach once more (its
    // message is shown again) and names it while it is still refused; a refused box the user
    // cannot reach any more (disabled, or on a hidden tab) gets its accepted text back.
    // Empty when no box holds a refused value: the form may close or run.
    QString LeaveRefusedBoxes();
    // The stored runs (in association mode those of the selected association's owners):
    // the list refilled whenever it receives the focus (false when it cannot be read), and
    // the button that deletes the chosen run after asking (Refused: a bank file of an
    // earlier run still waits for its name, or another run holds the lock).
    bool cmbBeitraege_GotFocus();
    enum class DeleteRunResult { Declined, Deleted, NotFound, Failed, Refused };
    DeleteRunResult btnBeitraegeLoeschen_Click();

private:
    void registerNames();

    AppContext m_context;
    ControlRegistry m_names;
    int m_paymentType = 0; // the LaoderRe option the owner restriction was made for
};

// The run's invoice date from the form's box (see core/InvoiceDate).
std::optional<QDate> invoiceDate(const FrmDTA &form);

} // namespace qvl
