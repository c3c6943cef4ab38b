#include "app/FrmDTA.h"
#include "app/Settings.h"
#include "app/MailSettingsFile.h"
#include "app/ERechnungForm.h"
#include "models/ModelSections.h"
#include "files/AnsiTextFile.h"
#include "text/Conversions.h"
#include "core/SepaFormat.h"
#include "core/Transliteration.h"

namespace qvl {

namespace {

QString orDefault(const QString &text, const QString &fallback)
{
    return text.isEmpty() ? fallback : text;
}

} // namespace

QStringList SettingsLines(FrmDTA &f)
{
    for (int i = 0; i < 4; ++i)
        if (f.rbEinstellung[i].Value)
            f.strBerechnungsart = kBerechnungsarten[i];

    QStringList areas, prices;
    for (int i = 0; i < kStaffelBoxes; ++i) {
        if (i % 2 == 0)
            areas.append(orDefault(f.txtStaffel[i].Text, u"0,0000"_qs));
        else
            prices.append(orDefault(f.txtStaffel[i].Text, u"0,00"_qs));
    }

    QStringList lines;
    auto put = [&lines](const QString &key, const QString &value) { lines.append(key + u'=' + value); };
    auto check = [](const CheckBox &box) { return QString::number(box.Value); };

    put(u"ExportPfad"_qs, f.strExportPfad);
    put(u"Firma"_qs, f.strFirma);
    put(u"Firmenname"_qs, f.txtFirmenName.Text);
    put(u"Adresse"_qs, f.txtAdresse.Text);
    put(u"PLZ"_qs, f.txtPLZ.Text);
    put(u"Ort"_qs, f.txtOrt.Text);
    put(u"Telefon"_qs, f.txtTelefon.Text);
    put(u"Telefax"_qs, f.txtTelefax.Text);
    put(u"Email"_qs, f.txtEmail.Text);
    put(u"Bank"_qs, f.txtBank.Text);
    put(u"Bankleitzahl"_qs, f.txtBankleitzahl.Text);
    put(u"Kontonummer"_qs, f.txtKontonummer.Text);
    put(u"GlaubigerID"_qs, f.txtGlaubigerID.Text);
    put(u"Verwendungszweck"_qs, ReplaceUmlauteText(f.txtVerwendungszweck.Text));
    put(u"Referenznummer"_qs, f.txtReferenznummer.Text);
    put(u"FBGVersion"_qs, boolText(f.bFBGVersion));
    put(u"BeitraegeNetto"_qs, boolText(f.bBeitraegeNetto));
    put(u"AbsenderNichtDrucken"_qs, f.strAbsenderNichtDrucken);
    put(u"WarnmeldungBankverbindung"_qs, f.bWarnmeldungBankverbindung);
    for (int k = 0; k < kFeeSlots; ++k)
        put(u"RundeBeitrag"_qs + QString::number(k + 1), boolText(f.bRundeBeitrag[k]));
    put(u"Fibu"_qs, f.strFibu);
    put(u"Berechnungsbasis"_qs, f.strBerechnungsbasis);
    // A folder that could not be shown at start-up (an unreachable network drive) is kept.
    put(u"FibuZiel"_qs, f.Dir1.Path.isEmpty() ? f.strZielVerzeichnis : f.Dir1.Path);
    put(u"BankKonto"_qs, f.txtBankKonto.Text);
    put(u"WBVKonto"_qs, f.txtWBVKonto.Text);
    put(u"MBTKonto"_qs, f.txtMBTKonto.Text);
    put(u"HaftpflichtKonto"_qs, f.txtHaftpflichtkonto.Text);
    put(u"SturmKonto"_qs, f.txtSturmkonto.Text);
    put(u"Konto5"_qs, f.txtKonto5.Text);
    put(u"EinzelbuchungenDrucken"_qs, check(f.chkEinzelbuchungen));
    put(u"RechnungsUeberschriftDrucken"_qs, check(f.chkUeberschrift));
    for (int i = 0; i < 3; ++i)
        if (f.Sort[i].Value) {
            put(u"SortNummer"_qs, QString::number(i + 1));
            break;
        }
    put(u"Währung"_qs, f.txtWaehrung.Text);
    put(u"AbsenderLinks"_qs, f.txtAbsenderLinks.Text);
    put(u"AbsenderOben"_qs, f.txtAbsenderOben.Text);
    put(u"AnschriftLinks"_qs, f.txtAnschriftLinks.Text);
    put(u"AnschriftOben"_qs, f.txtAnschriftOben.Text);
    put(u"Kopf drucken"_qs, check(f.chkKopf));
    put(u"Bankverbindung drucken"_qs, check(f.chkBank));
    put(u"SEPA_Buchungstext_VZ_FIBU_RNR"_qs, check(f.chkVerwendungszweck));
    put(u"Logo"_qs, f.txtLogo.Text);
    put(u"Steuernummerfeld"_qs, f.strSteuernummerfeld);
    put(u"Steuernummer"_qs, f.txtSteuernummer.Text);
    for (int i = 0; i < f.lbPersons.ListCount(); ++i)
        for (int k = 0; k < kFeeSlots; ++k)
            put(f.lbPersons.List.at(i) + u" Mindest"_qs + QString::number(k + 1),
                i < kMaxEntries ? f.aMindestbeitraege[i][k] : QString());
    put(u"SONDERBEITRAG"_qs, check(f.chkSonderbeitrag));
    put(u"ANTEILIGE-BERECHNUNG"_qs, check(f.chkAnteiligeBerechnung));
    put(u"BEZEICHNUNG"_qs, f.txtBezeichnung.Text);
    put(u"BERECHNUNG"_qs, f.strBerechnungsart);
    put(u"STAFFEL-FLAECHEN"_qs, areas.join(u';'));
    put(u"STAFFEL-PREISE"_qs, prices.join(u';'));
    put(u"FORMEL-MINDESTBETRAG-HA"_qs, orDefault(f.txtHaMindestbetrag.Text, u"0,0000"_qs));
    put(u"FORMEL-MINDESTBETRAG-PREIS"_qs, orDefault(f.txtPreisMindestbetrag.Text, u"0,00"_qs));
    put(u"FORMEL-ZUSCHLAG-HA"_qs, orDefault(f.txtHaZuschlag.Text, u"0,0000"_qs));
    put(u"FORMEL-ZUSCHLAG-PREIS"_qs, orDefault(f.txtPreisZuschlag.Text, u"0,00"_qs));
    put(u"FORMEL-HOECHSTBEITRAG"_qs, orDefault(f.txtHoechstbeitrag.Text, u"0,00"_qs));
    put(u"FORMEL-KOMMASTELLEN"_qs, check(f.chkKomma));
    put(u"SEPAFormat"_qs, sepaFormatText(sepaFormatFromText(f.cmbSEPAFormat.Text())));
    put(u"ERechnung"_qs, savedERechnung(f));
    put(u"VorlaufBankarbeitstage"_qs, QString::number(f.lVorlaufBankarbeitstage));
    put(u"VorabankuendigungTage"_qs, QString::number(f.lVorabankuendigungTage));
    put(u"VergleichAbweichungProzent"_qs, QString::number(f.lVergleichAbweichungProzent));
    put(u"WirtschaftsjahrBeginn"_qs, QString::number(f.lWirtschaftsjahrBeginn));
    put(u"UStIdNr"_qs, f.strUStIdNr);
    for (int k = 0; k < kFeeSlots; ++k)
        put(u"Steuerbefreiung"_qs + QString::number(k + 1), f.aSteuerbefreiung[std::size_t(k)]);
    lines.append(mailSettingsLines(f));

    QList<ModelSection> models;
    for (int i = 0; i < f.lModelle && i < f.aModelle.size(); ++i)
        models.append({f.aModelle[i][0], f.aModelle[i][1]});
    lines.append(modelSectionLines(models));
    return lines;
}

bool SaveSettings(FrmDTA &f, QString *error)
{
    return writeTextFileAtomically(settingsFilePath(f.context().programDir), SettingsLines(f), f.settingsEncoding,
                                   error);
}

} // namespace qvl
