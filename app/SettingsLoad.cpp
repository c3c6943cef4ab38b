#include "app/FrmDTA.h"
#include "app/InputRules.h"
#include "app/Settings.h"
#include "app/MailSettingsFile.h"
#include "app/ERechnungForm.h"
#include "models/ModelSections.h"
#include "text/Conversions.h"
#include "os/Paths.h"
#include "core/SepaFormat.h"

namespace qvl {

namespace {

// A check-box key: empty gives the default; a whole number 0 or 1 gives that state;
// anything else counts like an absent key.
int checkState(const QString &value, int emptyDefault)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (ok && (n == 0 || n == 1))
        return n;
    return emptyDefault;
}

// A value the program cannot use gives way to the default, and the clerk is told once at
// start: "VergleichAbweichungProzent = „abc“, statt dessen 25".
void noteFallback(FrmDTA &form, const QString &key, const QString &value, const QString &fallback)
{
    form.settingsFallbacks.append(key + u" = „"_qs + value + u"“, stattdessen "_qs
                                  + (fallback.isEmpty() ? u"leer"_qs : fallback));
}

// A position key replaces the form's default only with what the box itself takes: whole
// twips on the page. Anything else keeps the default, and the clerk is told.
void loadPosition(FrmDTA &form, TextBox &box, const QString &key, const QString &value, const QString &boxName)
{
    if (value.trimmed().isEmpty())
        return;
    if (const std::optional<int> twips = typedPosition(value, positionLimitFor(boxName)))
        box.Text = QString::number(*twips);
    else
        noteFallback(form, key, value, box.Text);
}

// A whole number from `lowest` to `highest`; an empty value (an older file without the
// key) gives the default silently, anything else with a note.
int wholeNumber(FrmDTA &form, const QString &key, const QString &value, int lowest, int highest, int fallback)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    if (ok && n >= lowest && n <= highest)
        return n;
    if (!value.trimmed().isEmpty())
        noteFallback(form, key, value, QString::number(fallback));
    return fallback;
}

// An amount as the form shows it; one the form would refuse gives 0.
QString formatted(FrmDTA &form, const QString &key, const QString &value, const QString &pattern)
{
    if (const std::optional<double> n = typedAmountInLimit(value))
        return formatNumber(*n, pattern);
    const QString zero = formatNumber(0.0, pattern);
    noteFallback(form, key, value, zero);
    return zero;
}

// A formula box: formatted, or the written default when the key is empty.
void loadFormulaBox(FrmDTA &form, TextBox &box, const QString &key, const QString &value, const QString &pattern)
{
    box.Text = value.isEmpty() ? formatNumber(0.0, pattern) : formatted(form, key, value, pattern);
}

void loadScale(FrmDTA &form, const QString &key, const QString &value, int offset, const QString &pattern)
{
    if (value.isEmpty())
        return;
    const QStringList parts = value.split(u';');
    for (int n = 0; n < parts.size() && 2 * n + offset < kStaffelBoxes; ++n)
        form.txtStaffel[2 * n + offset].Text =
            formatted(form, key + u" (Wert "_qs + QString::number(n + 1) + u')', parts.at(n), pattern);
}

} // namespace

std::optional<KeyFile> LoadSettings(FrmDTA &f)
{
    auto opened = KeyFile::open(settingsFilePath(f.context().programDir));
    if (!opened)
        return std::nullopt;
    const KeyFile &file = *opened;
    f.settingsEncoding = file.encoding();
    auto v = [&file](const char16_t *key) { return file.value(QString::fromUtf16(key)); };

    const QString exportPfad = v(u"ExportPfad");
    f.strExportPfad = exportPfad.isEmpty() ? u"A:\\"_qs
                                           : withTrailingSeparator(inProgramFolder(f.context().programDir, exportPfad));
    f.strFirma = v(u"Firma");
    f.txtFirmenName.Text = v(u"FirmenName");
    f.txtAdresse.Text = v(u"Adresse");
    f.txtPLZ.Text = v(u"PLZ");
    f.txtOrt.Text = v(u"Ort");
    f.txtTelefon.Text = v(u"Telefon");
    f.txtTelefax.Text = v(u"Telefax");
    f.txtEmail.Text = v(u"Email");
    f.txtBank.Text = v(u"Bank");
    f.txtBankleitzahl.Text = v(u"Bankleitzahl");
    f.txtKontonummer.Text = v(u"Kontonummer");
    f.txtGlaubigerID.Text = v(u"GlaubigerID");
    f.txtVerwendungszweck.Text = v(u"Verwendungszweck");
    f.txtReferenznummer.Text = v(u"Referenznummer");
    f.bFBGVersion = parseBool(v(u"FBGVersion")).value_or(false);
    f.bBeitraegeNetto = parseBool(v(u"BeitraegeNetto")).value_or(false);
    f.strAbsenderNichtDrucken = v(u"AbsenderNichtDrucken");
    f.bWarnmeldungBankverbindung = v(u"WarnmeldungBankverbindung");
    for (int k = 0; k < kFeeSlots; ++k)
        f.bRundeBeitrag[k] = parseBool(file.value(u"RundeBeitrag"_qs + QString::number(k + 1))).value_or(false);
    f.strFibu = v(u"Fibu");
    f.strBerechnungsbasis = v(u"Berechnungsbasis");
    f.strZielVerzeichnis = inProgramFolder(f.context().programDir, v(u"FibuZiel"));
    f.txtBankKonto.Text = v(u"BankKonto");
    f.txtWBVKonto.Text = v(u"WBVKonto");
    f.txtMBTKonto.Text = v(u"MBTKonto");
    f.txtHaftpflichtkonto.Text = v(u"HaftpflichtKonto");
    f.txtSturmkonto.Text = v(u"SturmKonto");
    f.txtKonto5.Text = v(u"Konto5");
    f.chkEinzelbuchungen.Value = checkState(v(u"EinzelbuchungenDrucken"), 1);
    f.chkUeberschrift.Value = checkState(v(u"RechnungsUeberschriftDrucken"), 1);

    QString sort = v(u"SortNummer");
    if (sort.isEmpty() || sort.compare(u"Wahr"_qs, Qt::CaseInsensitive) == 0)
        sort = u"1"_qs;
    else if (sort.compare(u"Falsch"_qs, Qt::CaseInsensitive) == 0)
        sort = u"2"_qs;
    for (int i = 0; i < 3; ++i)
        f.Sort[i].Value = sort == QString::number(i + 1);

    // Only a currency the box takes; anything else is the euro, named at start.
    const QString waehrung = v(u"Währung");
    const std::optional<QString> currency = typedCurrency(waehrung);
    if (!currency && !waehrung.trimmed().isEmpty())
        noteFallback(f, u"Währung"_qs, waehrung, u"EUR"_qs);
    f.txtWaehrung.Text = currency.value_or(u"EUR"_qs);
    f.strWaehrung = f.txtWaehrung.Text;
    loadPosition(f, f.txtAbsenderLinks, u"AbsenderLinks"_qs, v(u"AbsenderLinks"), u"txtAbsenderLinks"_qs);
    loadPosition(f, f.txtAbsenderOben, u"AbsenderOben"_qs, v(u"AbsenderOben"), u"txtAbsenderOben"_qs);
    loadPosition(f, f.txtAnschriftLinks, u"AnschriftLinks"_qs, v(u"AnschriftLinks"), u"txtAnschriftLinks"_qs);
    loadPosition(f, f.txtAnschriftOben, u"AnschriftOben"_qs, v(u"AnschriftOben"), u"txtAnschriftOben"_qs);
    f.chkKopf.Value = checkState(v(u"Kopf drucken"), 0);
    f.chkBank.Value = checkState(v(u"Bankverbindung drucken"), 0);
    f.chkVerwendungszweck.Value = checkState(v(u"SEPA_Buchungstext_VZ_FIBU_RNR"), 0);
    f.txtLogo.Text = v(u"Logo");
    loadERechnung(f, v(u"ERechnung"));
    f.lVorlaufBankarbeitstage =
        wholeNumber(f, u"VorlaufBankarbeitstage"_qs, v(u"VorlaufBankarbeitstage"), 0, kMaxLeadDays, kDefaultLeadDays);
    f.lVorabankuendigungTage = wholeNumber(f, u"VorabankuendigungTage"_qs, v(u"VorabankuendigungTage"),
                                           kMinPreNotificationDays, kMaxPreNotificationDays,
                                           kDefaultPreNotificationDays);
    f.lVergleichAbweichungProzent = wholeNumber(f, u"VergleichAbweichungProzent"_qs, v(u"VergleichAbweichungProzent"),
                                                1, kMaxComparisonPercent, kDefaultComparisonPercent);
    f.lWirtschaftsjahrBeginn = wholeNumber(f, u"WirtschaftsjahrBeginn"_qs, v(u"WirtschaftsjahrBeginn"), 1, 12,
                                           kDefaultBusinessYearStart);
    f.strUStIdNr = v(u"UStIdNr").trimmed();
    for (int k = 0; k < kFeeSlots; ++k) {
        const QString reason = file.value(u"Steuerbefreiung"_qs + QString::number(k + 1)).trimmed();
        f.aSteuerbefreiung[std::size_t(k)] = reason.isEmpty() ? kDefaultExemptionReason : reason;
    }
    loadMailSettings(f, file);

    f.strSteuernummerfeld = v(u"Steuernummerfeld");
    if (!f.strSteuernummerfeld.isEmpty()) {
        f.txtSteuernummer.Text = v(u"Steuernummer");
    } else {
        f.strSteuernummerfeld = u"BLZ1"_qs;
        f.txtSteuernummer.Text.clear();
    }

    f.chkSonderbeitrag.Value = checkState(v(u"SONDERBEITRAG"), 0);
    f.chkAnteiligeBerechnung.Value = checkState(v(u"ANTEILIGE-BERECHNUNG"), 0);
    f.txtBezeichnung.Text = v(u"BEZEICHNUNG");

    f.strBerechnungsart = v(u"BERECHNUNG");
    f.rbEinstellung_Click(std::max(0, int(kBerechnungsarten.indexOf(f.strBerechnungsart))));

    loadScale(f, u"STAFFEL-FLAECHEN"_qs, v(u"STAFFEL-FLAECHEN"), 0, u"0.0000"_qs);
    loadScale(f, u"STAFFEL-PREISE"_qs, v(u"STAFFEL-PREISE"), 1, u"0.00"_qs);
    const struct {
        TextBox *box;
        const char16_t *key;
        const char16_t *pattern;
    } formulaBoxes[] = {{&f.txtHaMindestbetrag, u"FORMEL-MINDESTBETRAG-HA", u"0.0000"},
                        {&f.txtPreisMindestbetrag, u"FORMEL-MINDESTBETRAG-PREIS", u"0.00"},
                        {&f.txtHaZuschlag, u"FORMEL-ZUSCHLAG-HA", u"0.0000"},
                        {&f.txtPreisZuschlag, u"FORMEL-ZUSCHLAG-PREIS", u"0.00"},
                        {&f.txtHoechstbeitrag, u"FORMEL-HOECHSTBEITRAG", u"0.00"}};
    for (const auto &b : formulaBoxes)
        loadFormulaBox(f, *b.box, QString::fromUtf16(b.key), v(b.key), QString::fromUtf16(b.pattern));
    f.chkKomma.Value = checkState(v(u"FORMEL-KOMMASTELLEN"), 0);
    f.cmbSEPAFormat.ListIndex = int(f.cmbSEPAFormat.List.indexOf(sepaFormatText(sepaFormatFromText(v(u"SEPAFormat")))));
    return opened;
}

void LoadMindestbeitraege(FrmDTA &f, const KeyFile &file)
{
    for (int i = 0; i < f.lbPersons.ListCount() && i < kMaxEntries; ++i)
        for (int k = 0; k < kFeeSlots; ++k) {
            const QString key = f.lbPersons.List.at(i) + u" Mindest"_qs + QString::number(k + 1);
            QString value = file.value(key);
            // A minimum fee the box would refuse is no minimum fee: never billed from.
            if (!value.trimmed().isEmpty() && !typedAmountInLimit(value)) {
                noteFallback(f, key, value, {});
                value.clear();
            }
            f.aMindestbeitraege[i][k] = value.trimmed();
        }
}

void LoadModelSections(FrmDTA &f, const KeyFile &file)
{
    const QList<ModelSection> models = readModelSections(file.lines());
    f.aModelle = QList<std::array<QString, 2>>(std::max<qsizetype>(kMaxEntries, models.size()));
    for (int i = 0; i < models.size(); ++i)
        f.aModelle[i] = {models.at(i).name, models.at(i).text};
    f.lModelle = int(models.size());
}

} // namespace qvl
