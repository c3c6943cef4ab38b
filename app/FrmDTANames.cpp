// The names under which the batch front end and the tests reach the main form's state,
// in the stable order of the dump.
#include "app/FrmDTA.h"

#include "app/InputRules.h"
#include "text/Conversions.h"

namespace qvl {

namespace {

QString indexed(const QString &name, int i)
{
    return name + u'(' + QString::number(i) + u')';
}

} // namespace

void FrmDTA::registerNames()
{
    using R = ControlRegistry;
    R &n = m_names;

    n.addLines([this] { return QList<DumpLine>{{u"frmDTA.Caption"_qs, Caption}}; });

    // Public settings fields.
    n.addText(u"strFirma"_qs, &strFirma);
    n.addText(u"strServerName"_qs, &strServerName);
    n.addText(u"strDataBaseName"_qs, &strDataBaseName);
    // Shown without its passwords: the dump may end up in a log or a support mail.
    n.addCustom(u"strConnectionString"_qs, [this] { return withoutPasswords(strConnectionString); },
                [this](const QString &v) {
                    strConnectionString = v;
                    return true;
                });
    n.addText(u"strFibu"_qs, &strFibu);
    n.addText(u"strBerechnungsbasis"_qs, &strBerechnungsbasis);
    n.addText(u"strZielVerzeichnis"_qs, &strZielVerzeichnis);
    n.addBool(u"bFBGVersion"_qs, &bFBGVersion);
    n.addBool(u"bBeitraegeNetto"_qs, &bBeitraegeNetto);
    n.addText(u"bWarnmeldungBankverbindung"_qs, &bWarnmeldungBankverbindung);
    n.addText(u"strWBIN"_qs, &strWBIN);
    n.addText(u"strWaehrung"_qs, &strWaehrung);
    n.addText(u"strExportPfad"_qs, &strExportPfad);
    n.addText(u"strBeitragsText"_qs, &strBeitragsText);
    n.addText(u"strVolume"_qs, &strVolume);
    n.addText(u"qvlIniPath"_qs, &qvlIniPath);
    n.addText(u"strERechnung"_qs, &strERechnung);
    n.addText(u"strBerichtsPfad"_qs, &strBerichtsPfad);
    n.addNumber(u"lVorlaufBankarbeitstage"_qs, &lVorlaufBankarbeitstage, 0, kMaxLeadDays);
    n.addNumber(u"lVorabankuendigungTage"_qs, &lVorabankuendigungTage, kMinPreNotificationDays,
                kMaxPreNotificationDays);
    n.addNumber(u"lVergleichAbweichungProzent"_qs, &lVergleichAbweichungProzent, 1, kMaxComparisonPercent);
    n.addNumber(u"lWirtschaftsjahrBeginn"_qs, &lWirtschaftsjahrBeginn, 1, 12);
    n.addText(u"strUStIdNr"_qs, &strUStIdNr);
    for (int k = 0; k < kFeeSlots; ++k)
        n.addText(indexed(u"aSteuerbefreiung"_qs, k), &aSteuerbefreiung[std::size_t(k)]);
    n.addLines([this] {
        QList<DumpLine> lines{{u"lModelle"_qs, QString::number(lModelle)}};
        for (int i = 0; i < lModelle && i < aModelle.size(); ++i) {
            lines.append({u"aModelle("_qs + QString::number(i) + u",0)"_qs, aModelle[i][0]});
            lines.append({u"aModelle("_qs + QString::number(i) + u",1)"_qs, aModelle[i][1]});
        }
        return lines;
    });

    // Private state.
    n.addText(u"strBerechnungsart"_qs, &strBerechnungsart);
    for (int k = 0; k < kSlotArray; ++k)
        n.addBool(indexed(u"bRundeBeitrag"_qs, k), &bRundeBeitrag[k]);
    n.addText(u"strSteuernummerfeld"_qs, &strSteuernummerfeld);
    n.addBool(u"bEinstellungenGelesen"_qs, &bEinstellungenGelesen);
    n.addText(u"strAbsenderNichtDrucken"_qs, &strAbsenderNichtDrucken);
    n.addText(u"strLetztesLaufwerk"_qs, &strLetztesLaufwerk);
    for (int k = 0; k < kSlotArray; ++k)
        n.addText(indexed(u"aBeitragsNamen"_qs, k), &aBeitragsNamen[k]);
    n.addLines([this] {
        QList<DumpLine> lines;
        for (int i = 0; i < aFBGNr.size(); ++i)
            lines.append({indexed(u"aFBGNr"_qs, i), QString::number(aFBGNr.at(i))});
        return lines;
    });
    // The minimum fees of the creditor list's entries, plus any other row that holds a value.
    n.addLines([this] {
        QList<DumpLine> lines;
        for (int i = 0; i < kMaxEntries; ++i) {
            const auto &row = aMindestbeitraege[i];
            const bool used = i < lbPersons.ListCount()
                              || std::any_of(row.begin(), row.end(), [](const QString &v) { return !v.isEmpty(); });
            if (!used)
                continue;
            for (int k = 0; k < kSlotArray; ++k)
                lines.append({u"aMindestbeitraege("_qs + QString::number(i) + u',' + QString::number(k) + u')', row[k]});
        }
        return lines;
    });
    for (int i = 0; i < kMaxEntries; ++i)
        for (int k = 0; k < kSlotArray; ++k)
            n.addCustom(u"aMindestbeitraege("_qs + QString::number(i) + u',' + QString::number(k) + u')',
                        {}, [this, i, k](const QString &v) {
                            // As the box would: empty, or an amount it can read.
                            if (!v.trimmed().isEmpty() && !typedAmountInLimit(v))
                                return false;
                            aMindestbeitraege[i][k] = v.trimmed();
                            return true;
                        });

    // Window and tabs.
    n.addTabStrip(u"SSTab1"_qs, &SSTab1);

    // Tab "Allgemein": creditor.
    n.addLabel(u"Label8"_qs, &Label8, R::Caption | R::Visible);
    n.addListBox(u"lbPersons"_qs, &lbPersons, [this] { lbPersons_Click(); });
    const std::pair<const char16_t *, TextBox *> creditorBoxes[] = {
        {u"txtFirmenName", &txtFirmenName}, {u"txtAdresse", &txtAdresse}, {u"txtPLZ", &txtPLZ},
        {u"txtOrt", &txtOrt}, {u"txtTelefon", &txtTelefon}, {u"txtTelefax", &txtTelefax},
        {u"txtEmail", &txtEmail}, {u"txtBank", &txtBank}, {u"txtBankleitzahl", &txtBankleitzahl},
        {u"txtKontonummer", &txtKontonummer}, {u"txtGlaubigerID", &txtGlaubigerID},
        {u"txtReferenznummer", &txtReferenznummer}};
    for (const auto &[name, box] : creditorBoxes)
        n.addTextBox(QString::fromUtf16(name), box);
    n.addTextBox(u"txtVerwendungszweck"_qs, &txtVerwendungszweck, R::MultiLine);
    n.addTextBox(u"txtSteuernummer"_qs, &txtSteuernummer);

    // Fees.
    for (int k = 0; k < kFeeSlots; ++k) {
        n.addCheckBox(indexed(u"chkBeitrag"_qs, k), &chkBeitrag[k], R::Caption);
        TextBox *minimum = &txtMindestbeitrag[k];
        n.addCheckedTextBox(u"txtMindestbeitrag"_qs + QString::number(k + 1), minimum, 0, [this, k, minimum] {
            if (!LeaveCheckedBox(*minimum, BoxRule::MinimumFee))
                return false;
            txtMindestbeitrag_Validate(k + 1);
            return true;
        });
        TextBox *vat = &txtMwst[k];
        n.addCheckedTextBox(indexed(u"txtMwst"_qs, k), vat, 0, [this, vat] { return LeaveCheckedBox(*vat, BoxRule::VatRate); });
    }

    // Run inputs and print options.
    n.addCheckedTextBox(u"txtFaellDat"_qs, &txtFaellDat, 0, [this] { return LeaveCheckedBox(txtFaellDat, BoxRule::Date); });
    n.addCheckedTextBox(u"txtRechDat"_qs, &txtRechDat, 0, [this] { return LeaveCheckedBox(txtRechDat, BoxRule::Date); });
    n.addCheckedTextBox(u"txtRechNr"_qs, &txtRechNr, 0, [this] { return LeaveInvoiceNumberBox(); });
    n.addCheckedTextBox(u"txtWirtschaftsjahr"_qs, &txtWirtschaftsjahr, 0,
                        [this] { return LeaveCheckedBox(txtWirtschaftsjahr, BoxRule::BusinessYear); });
    n.addCheckedTextBox(u"txtWaehrung"_qs, &txtWaehrung, 0,
                        [this] { return LeaveCheckedBox(txtWaehrung, BoxRule::Currency); });
    n.addOptionGroup(u"LaoderRe"_qs, {&LaoderRe[0], &LaoderRe[1]}, 0, [this](int i) { LaoderRe_Click(i); });
    n.addCheckBox(u"chkRechnung"_qs, &chkRechnung, R::Visible);
    n.addCheckBox(u"chkEinzelbuchungen"_qs, &chkEinzelbuchungen);
    n.addCheckBox(u"chkUeberschrift"_qs, &chkUeberschrift);
    n.addOptionGroup(u"Sort"_qs, {&Sort[0], &Sort[1], &Sort[2]}, 0, {});
    n.addCheckBox(u"chkVerwendungszweck"_qs, &chkVerwendungszweck);
    n.addCheckBox(u"chkKopf"_qs, &chkKopf);
    n.addCheckBox(u"chkBank"_qs, &chkBank);
    n.addCheckBox(u"chkERechnung"_qs, &chkERechnung);
    n.addCheckBox(u"chkEMail"_qs, &chkEMail);
    n.addTextBox(u"txtLogo"_qs, &txtLogo);
    n.addTextBox(u"txtFixtext"_qs, &txtFixtext, R::MultiLine);
    n.addListBox(u"cmbModell"_qs, &cmbModell, [this] { cmbModell_Click(); });
    n.addListBox(u"cmbBeitraege"_qs, &cmbBeitraege);
    n.addListBox(u"cmbSEPAFormat"_qs, &cmbSEPAFormat);
    for (const auto &[name, box] : {std::pair{u"txtAbsenderLinks"_qs, &txtAbsenderLinks},
                                    std::pair{u"txtAbsenderOben"_qs, &txtAbsenderOben},
                                    std::pair{u"txtAnschriftLinks"_qs, &txtAnschriftLinks},
                                    std::pair{u"txtAnschriftOben"_qs, &txtAnschriftOben}}) {
        TextBox *position = box;
        n.addCheckedTextBox(name, position, 0, [this, position] { return LeaveCheckedBox(*position, BoxRule::Position); });
    }

    // Tab 1: accounting.
    n.addText(u"Drive1"_qs, &Drive1.Drive);
    n.addText(u"Dir1"_qs, &Dir1.Path);
    n.addLabel(u"lblBankKonto"_qs, &lblBankKonto, R::Visible);
    n.addTextBox(u"txtBankKonto"_qs, &txtBankKonto, R::Visible);
    n.addFrame(u"fraBeitragskonten"_qs, &fraBeitragskonten, R::Visible);
    for (int k = 0; k < kFeeSlots; ++k)
        n.addLabel(indexed(u"lblBeitr"_qs, k), &lblBeitr[k], R::Caption);
    n.addTextBox(u"txtMBTKonto"_qs, &txtMBTKonto, R::Visible);
    n.addTextBox(u"txtWBVKonto"_qs, &txtWBVKonto, R::Visible);
    n.addTextBox(u"txtHaftpflichtkonto"_qs, &txtHaftpflichtkonto, R::Visible);
    n.addTextBox(u"txtSturmkonto"_qs, &txtSturmkonto, R::Visible);
    n.addTextBox(u"txtKonto5"_qs, &txtKonto5);

    // Tab "Berechnungsbasis".
    n.addTextBox(u"txtBezeichnung"_qs, &txtBezeichnung);
    n.addOptionGroup(u"rbEinstellung"_qs, {&rbEinstellung[0], &rbEinstellung[1], &rbEinstellung[2], &rbEinstellung[3]},
                     0, [this](int i) { rbEinstellung_Click(i); });
    for (int p = 0; p < 3; ++p)
        n.addFrame(indexed(u"grpEinstellung"_qs, p), &grpEinstellung[p], R::Enabled);
    n.addCheckBox(u"chkAnteiligeBerechnung"_qs, &chkAnteiligeBerechnung);
    n.addCheckBox(u"chkSonderbeitrag"_qs, &chkSonderbeitrag);
    // Leaving a formatted box formats it with the decimals the input rules give it.
    auto formatted = [this, &n](const QString &name, TextBox *box) {
        const int decimals = formattedDecimalsFor(name);
        n.addCheckedTextBox(name, box, R::Enabled, [this, box, decimals] { return LeaveDecimalBox(*box, decimals); });
    };
    for (int i = 0; i < kStaffelBoxes; ++i)
        formatted(indexed(u"txtStaffel"_qs, i), &txtStaffel[i]);
    n.addCheckBox(u"chkRundeHAauf"_qs, &chkRundeHAauf);
    const std::pair<const char16_t *, TextBox *> formulaBoxes[] = {
        {u"txtPreisMindestbetrag", &txtPreisMindestbetrag}, {u"txtHaMindestbetrag", &txtHaMindestbetrag},
        {u"txtHaZuschlag", &txtHaZuschlag}, {u"txtPreisZuschlag", &txtPreisZuschlag},
        {u"txtHoechstbeitrag", &txtHoechstbeitrag}};
    for (const auto &[name, box] : formulaBoxes)
        formatted(QString::fromUtf16(name), box);
    n.addCheckBox(u"chkKomma"_qs, &chkKomma, R::Enabled);
}

} // namespace qvl
