#include "app/SettingsKeys.h"

#include "app/ERechnungForm.h"
#include "app/FrmDTA.h"
#include "app/InputRules.h"
#include "app/MailSettingsFile.h"
#include "app/SettingsFile.h"
#include "core/SepaFormat.h"
#include "core/Transliteration.h"
#include "os/Paths.h"
#include "text/Conversions.h"

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

// A position key replaces the form's default only with what the box itself takes: whole
// twips on the page. Anything else keeps the default, and the clerk is told.
void loadPosition(FrmDTA &form, TextBox &box, const QString &key, const QString &value, const QString &boxName)
{
    if (value.trimmed().isEmpty())
        return;
    if (const std::optional<int> twips = typedPosition(value, positionLimitFor(boxName)))
        box.Text = QString::number(*twips);
    else
        noteSettingsFallback(form, key, value, box.Text);
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
        noteSettingsFallback(form, key, value, QString::number(fallback));
    return fallback;
}

// An amount as the form shows it; one the form would refuse gives 0.
QString formatted(FrmDTA &form, const QString &key, const QString &value, const QString &pattern)
{
    if (const std::optional<double> n = typedAmountInLimit(value))
        return formatNumber(*n, pattern);
    const QString zero = formatNumber(0.0, pattern);
    noteSettingsFallback(form, key, value, zero);
    return zero;
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

// The scale's areas (offset 0) or prices (offset 1), an empty box written as zero.
QString scaleText(const FrmDTA &f, int offset, const QString &zero)
{
    QStringList values;
    for (int i = offset; i < kStaffelBoxes; i += 2)
        values.append(f.txtStaffel[i].Text.isEmpty() ? zero : f.txtStaffel[i].Text);
    return values.join(u';');
}

QString orDefault(const QString &text, const QString &fallback)
{
    return text.isEmpty() ? fallback : text;
}

QString checkText(const CheckBox &box)
{
    return QString::number(box.Value);
}

class Table {
public:
    QList<SettingsEntry> entries;

    void key(const QString &name, std::function<std::optional<QString>(const FrmDTA &)> save,
             std::function<void(FrmDTA &, const QString &)> load)
    {
        entries.append(SettingsKey{name, std::move(save), std::move(load)});
    }
    // A key kept as the text of a box.
    void text(const QString &name, TextBox FrmDTA::*box)
    {
        key(name, [box](const FrmDTA &f) { return (f.*box).Text; },
            [box](FrmDTA &f, const QString &v) { (f.*box).Text = v; });
    }
    // A key kept as a field of text.
    void field(const QString &name, QString FrmDTA::*value)
    {
        key(name, [value](const FrmDTA &f) { return f.*value; },
            [value](FrmDTA &f, const QString &v) { f.*value = v; });
    }
    void flag(const QString &name, bool FrmDTA::*value)
    {
        key(name, [value](const FrmDTA &f) { return boolText(f.*value); },
            [value](FrmDTA &f, const QString &v) { f.*value = parseBool(v).value_or(false); });
    }
    void check(const QString &name, CheckBox FrmDTA::*box, int emptyDefault)
    {
        key(name, [box](const FrmDTA &f) { return checkText(f.*box); },
            [box, emptyDefault](FrmDTA &f, const QString &v) { (f.*box).Value = checkState(v, emptyDefault); });
    }
    void position(const QString &name, TextBox FrmDTA::*box, const QString &boxName)
    {
        key(name, [box](const FrmDTA &f) { return (f.*box).Text; },
            [name, box, boxName](FrmDTA &f, const QString &v) { loadPosition(f, f.*box, name, v, boxName); });
    }
    void whole(const QString &name, int FrmDTA::*value, int lowest, int highest, int fallback)
    {
        key(name, [value](const FrmDTA &f) { return QString::number(f.*value); },
            [=](FrmDTA &f, const QString &v) { f.*value = wholeNumber(f, name, v, lowest, highest, fallback); });
    }
    // A formula box: written as shown (zero when empty), read formatted.
    void formula(const QString &name, TextBox FrmDTA::*box, const QString &pattern)
    {
        const QString zero = formatNumber(0.0, pattern);
        key(name, [box, zero](const FrmDTA &f) { return orDefault((f.*box).Text, zero); },
            [=](FrmDTA &f, const QString &v) { (f.*box).Text = v.isEmpty() ? zero : formatted(f, name, v, pattern); });
    }
    void group(std::function<QStringList(const FrmDTA &)> lines, std::function<void(FrmDTA &, const KeyFile &)> load)
    {
        entries.append(SettingsKeyGroup{std::move(lines), std::move(load)});
    }
};

QList<SettingsEntry> buildEntries()
{
    Table t;
    t.key(u"ExportPfad"_qs, [](const FrmDTA &f) { return f.strExportPfad; },
          [](FrmDTA &f, const QString &v) {
              f.strExportPfad = v.isEmpty() ? u"A:\\"_qs
                                            : withTrailingSeparator(inProgramFolder(f.context().programDir, v));
          });
    t.field(u"Firma"_qs, &FrmDTA::strFirma);
    t.text(u"Firmenname"_qs, &FrmDTA::txtFirmenName);
    t.text(u"Adresse"_qs, &FrmDTA::txtAdresse);
    t.text(u"PLZ"_qs, &FrmDTA::txtPLZ);
    t.text(u"Ort"_qs, &FrmDTA::txtOrt);
    t.text(u"Telefon"_qs, &FrmDTA::txtTelefon);
    t.text(u"Telefax"_qs, &FrmDTA::txtTelefax);
    t.text(u"Email"_qs, &FrmDTA::txtEmail);
    t.text(u"Bank"_qs, &FrmDTA::txtBank);
    t.text(u"Bankleitzahl"_qs, &FrmDTA::txtBankleitzahl);
    t.text(u"Kontonummer"_qs, &FrmDTA::txtKontonummer);
    t.text(u"GlaubigerID"_qs, &FrmDTA::txtGlaubigerID);
    t.key(u"Verwendungszweck"_qs, [](const FrmDTA &f) { return ReplaceUmlauteText(f.txtVerwendungszweck.Text); },
          [](FrmDTA &f, const QString &v) { f.txtVerwendungszweck.Text = v; });
    t.text(u"Referenznummer"_qs, &FrmDTA::txtReferenznummer);
    t.flag(u"FBGVersion"_qs, &FrmDTA::bFBGVersion);
    t.flag(u"BeitraegeNetto"_qs, &FrmDTA::bBeitraegeNetto);
    t.field(u"AbsenderNichtDrucken"_qs, &FrmDTA::strAbsenderNichtDrucken);
    t.field(u"WarnmeldungBankverbindung"_qs, &FrmDTA::bWarnmeldungBankverbindung);
    for (int k = 0; k < kFeeSlots; ++k)
        t.key(u"RundeBeitrag"_qs + QString::number(k + 1), [k](const FrmDTA &f) { return boolText(f.bRundeBeitrag[k]); },
              [k](FrmDTA &f, const QString &v) { f.bRundeBeitrag[k] = parseBool(v).value_or(false); });
    t.field(u"Fibu"_qs, &FrmDTA::strFibu);
    t.field(u"Berechnungsbasis"_qs, &FrmDTA::strBerechnungsbasis);
    // A folder that could not be shown at start-up (an unreachable network drive) is kept.
    t.key(u"FibuZiel"_qs, [](const FrmDTA &f) { return f.Dir1.Path.isEmpty() ? f.strZielVerzeichnis : f.Dir1.Path; },
          [](FrmDTA &f, const QString &v) { f.strZielVerzeichnis = inProgramFolder(f.context().programDir, v); });
    t.text(u"BankKonto"_qs, &FrmDTA::txtBankKonto);
    t.text(u"WBVKonto"_qs, &FrmDTA::txtWBVKonto);
    t.text(u"MBTKonto"_qs, &FrmDTA::txtMBTKonto);
    t.text(u"HaftpflichtKonto"_qs, &FrmDTA::txtHaftpflichtkonto);
    t.text(u"SturmKonto"_qs, &FrmDTA::txtSturmkonto);
    t.text(u"Konto5"_qs, &FrmDTA::txtKonto5);
    t.check(u"EinzelbuchungenDrucken"_qs, &FrmDTA::chkEinzelbuchungen, 1);
    t.check(u"RechnungsUeberschriftDrucken"_qs, &FrmDTA::chkUeberschrift, 1);
    t.key(u"SortNummer"_qs,
          [](const FrmDTA &f) -> std::optional<QString> {
              for (int i = 0; i < 3; ++i)
                  if (f.Sort[i].Value)
                      return QString::number(i + 1);
              return std::nullopt;
          },
          [](FrmDTA &f, const QString &v) {
              QString sort = v;
              if (sort.isEmpty() || sort.compare(u"Wahr"_qs, Qt::CaseInsensitive) == 0)
                  sort = u"1"_qs;
              else if (sort.compare(u"Falsch"_qs, Qt::CaseInsensitive) == 0)
                  sort = u"2"_qs;
              for (int i = 0; i < 3; ++i)
                  f.Sort[i].Value = sort == QString::number(i + 1);
          });
    // Only a currency the box takes; anything else is the euro, named at start.
    t.key(u"Währung"_qs, [](const FrmDTA &f) { return f.txtWaehrung.Text; },
          [](FrmDTA &f, const QString &v) {
              const std::optional<QString> currency = typedCurrency(v);
              if (!currency && !v.trimmed().isEmpty())
                  noteSettingsFallback(f, u"Währung"_qs, v, u"EUR"_qs);
              f.txtWaehrung.Text = currency.value_or(u"EUR"_qs);
              f.strWaehrung = f.txtWaehrung.Text;
          });
    t.position(u"AbsenderLinks"_qs, &FrmDTA::txtAbsenderLinks, u"txtAbsenderLinks"_qs);
    t.position(u"AbsenderOben"_qs, &FrmDTA::txtAbsenderOben, u"txtAbsenderOben"_qs);
    t.position(u"AnschriftLinks"_qs, &FrmDTA::txtAnschriftLinks, u"txtAnschriftLinks"_qs);
    t.position(u"AnschriftOben"_qs, &FrmDTA::txtAnschriftOben, u"txtAnschriftOben"_qs);
    t.check(u"Kopf drucken"_qs, &FrmDTA::chkKopf, 0);
    t.check(u"Bankverbindung drucken"_qs, &FrmDTA::chkBank, 0);
    t.check(u"SEPA_Buchungstext_VZ_FIBU_RNR"_qs, &FrmDTA::chkVerwendungszweck, 0);
    t.text(u"Logo"_qs, &FrmDTA::txtLogo);
    // Without a field name the tax number is not printed, and the field is "BLZ1".
    t.key(u"Steuernummerfeld"_qs, [](const FrmDTA &f) { return f.strSteuernummerfeld; },
          [](FrmDTA &f, const QString &v) { f.strSteuernummerfeld = v; });
    t.key(u"Steuernummer"_qs, [](const FrmDTA &f) { return f.txtSteuernummer.Text; },
          [](FrmDTA &f, const QString &v) {
              if (!f.strSteuernummerfeld.isEmpty()) {
                  f.txtSteuernummer.Text = v;
              } else {
                  f.strSteuernummerfeld = u"BLZ1"_qs;
                  f.txtSteuernummer.Text.clear();
              }
          });
    // "<entry text> Mindest1" … "Mindest5" of each creditor: read once the list is filled.
    t.group(
        [](const FrmDTA &f) {
            QStringList lines;
            for (int i = 0; i < f.lbPersons.ListCount(); ++i)
                for (int k = 0; k < kFeeSlots; ++k)
                    lines.append(f.lbPersons.List.at(i) + u" Mindest"_qs + QString::number(k + 1) + u'='
                                 + (i < kMaxEntries ? f.aMindestbeitraege[i][k] : QString()));
            return lines;
        },
        {});
    t.check(u"SONDERBEITRAG"_qs, &FrmDTA::chkSonderbeitrag, 0);
    t.check(u"ANTEILIGE-BERECHNUNG"_qs, &FrmDTA::chkAnteiligeBerechnung, 0);
    t.text(u"BEZEICHNUNG"_qs, &FrmDTA::txtBezeichnung);
    t.key(u"BERECHNUNG"_qs, [](const FrmDTA &f) { return f.strBerechnungsart; },
          [](FrmDTA &f, const QString &v) {
              f.strBerechnungsart = v;
              f.rbEinstellung_Click(std::max(0, int(kBerechnungsarten.indexOf(v))));
          });
    t.key(u"STAFFEL-FLAECHEN"_qs, [](const FrmDTA &f) { return scaleText(f, 0, u"0,0000"_qs); },
          [](FrmDTA &f, const QString &v) { loadScale(f, u"STAFFEL-FLAECHEN"_qs, v, 0, u"0.0000"_qs); });
    t.key(u"STAFFEL-PREISE"_qs, [](const FrmDTA &f) { return scaleText(f, 1, u"0,00"_qs); },
          [](FrmDTA &f, const QString &v) { loadScale(f, u"STAFFEL-PREISE"_qs, v, 1, u"0.00"_qs); });
    t.formula(u"FORMEL-MINDESTBETRAG-HA"_qs, &FrmDTA::txtHaMindestbetrag, u"0.0000"_qs);
    t.formula(u"FORMEL-MINDESTBETRAG-PREIS"_qs, &FrmDTA::txtPreisMindestbetrag, u"0.00"_qs);
    t.formula(u"FORMEL-ZUSCHLAG-HA"_qs, &FrmDTA::txtHaZuschlag, u"0.0000"_qs);
    t.formula(u"FORMEL-ZUSCHLAG-PREIS"_qs, &FrmDTA::txtPreisZuschlag, u"0.00"_qs);
    t.formula(u"FORMEL-HOECHSTBEITRAG"_qs, &FrmDTA::txtHoechstbeitrag, u"0.00"_qs);
    t.check(u"FORMEL-KOMMASTELLEN"_qs, &FrmDTA::chkKomma, 0);
    t.key(u"SEPAFormat"_qs, [](const FrmDTA &f) { return sepaFormatText(sepaFormatFromText(f.cmbSEPAFormat.Text())); },
          [](FrmDTA &f, const QString &v) {
              f.cmbSEPAFormat.ListIndex = int(f.cmbSEPAFormat.List.indexOf(sepaFormatText(sepaFormatFromText(v))));
          });
    t.key(u"ERechnung"_qs, [](const FrmDTA &f) { return savedERechnung(f); },
          [](FrmDTA &f, const QString &v) { loadERechnung(f, v); });
    t.whole(u"VorlaufBankarbeitstage"_qs, &FrmDTA::lVorlaufBankarbeitstage, 0, kMaxLeadDays, kDefaultLeadDays);
    t.whole(u"VorabankuendigungTage"_qs, &FrmDTA::lVorabankuendigungTage, kMinPreNotificationDays,
            kMaxPreNotificationDays, kDefaultPreNotificationDays);
    t.whole(u"VergleichAbweichungProzent"_qs, &FrmDTA::lVergleichAbweichungProzent, 1, kMaxComparisonPercent,
            kDefaultComparisonPercent);
    t.whole(u"WirtschaftsjahrBeginn"_qs, &FrmDTA::lWirtschaftsjahrBeginn, 1, 12, kDefaultBusinessYearStart);
    t.key(u"UStIdNr"_qs, [](const FrmDTA &f) { return f.strUStIdNr; },
          [](FrmDTA &f, const QString &v) { f.strUStIdNr = v.trimmed(); });
    for (int k = 0; k < kFeeSlots; ++k)
        t.key(u"Steuerbefreiung"_qs + QString::number(k + 1),
              [k](const FrmDTA &f) { return f.aSteuerbefreiung[std::size_t(k)]; },
              [k](FrmDTA &f, const QString &v) {
                  const QString reason = v.trimmed();
                  f.aSteuerbefreiung[std::size_t(k)] = reason.isEmpty() ? kDefaultExemptionReason : reason;
              });
    t.group([](const FrmDTA &f) { return mailSettingsLines(f); },
            [](FrmDTA &f, const KeyFile &file) { loadMailSettings(f, file); });
    return t.entries;
}

} // namespace

void noteSettingsFallback(FrmDTA &form, const QString &key, const QString &value, const QString &fallback)
{
    form.settingsFallbacks.append(key + u" = „"_qs + value + u"“, stattdessen "_qs
                                  + (fallback.isEmpty() ? u"leer"_qs : fallback));
}

const QList<SettingsEntry> &settingsEntries()
{
    static const QList<SettingsEntry> entries = buildEntries();
    return entries;
}

} // namespace qvl
