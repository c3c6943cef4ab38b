#include "app/FrmDTA.h"

#include "app/InputRules.h"
#include "core/InvoiceDate.h"
#include "text/Conversions.h"
#include "core/SepaFormat.h"

#include <QLocale>

#include <algorithm>

namespace qvl {

FrmDTA::FrmDTA(AppContext context)
    : m_context(std::move(context))
{
    static const char16_t *const accountLabels[kFeeSlots] = {
        u"Mitgliedsbeitragskonto.:", u"Waldbrandversicherungskonto:", u"Haftpflichtversicherung:",
        u"Sturmversicherung:", u"Sonstiges"};
    for (int k = 0; k < kFeeSlots; ++k) {
        chkBeitrag[k].Caption = u"Beitrag &"_qs + QString::number(k + 1);
        lblBeitr[k].Caption = QString::fromUtf16(accountLabels[k]);
    }
    LaoderRe[0] = {u"&Lastschrift"_qs, true};
    LaoderRe[1] = {u"&Rechnung"_qs, false};
    Sort[0] = {u"Sortieren nach N&ummer"_qs, true};
    Sort[1] = {u"Sortieren nach N&ame"_qs, false};
    Sort[2] = {u"Sortieren nach Rechn.-Nr."_qs, false};
    rbEinstellung[0].Caption = u"Berechnung mit Einstellung lt. Quarvel"_qs;
    rbEinstellung[1].Caption = u"Festbeträge nach ha-Staffeln"_qs;
    rbEinstellung[2].Caption = u"Berechnung nach Formel"_qs;
    rbEinstellung[3].Caption = u"Flächenbeitrag je Hektar"_qs;
    chkAnteiligeBerechnung.Caption =
        u"Anteilige Berechnung durchführen (hat nur Auswirkungen auf solche Mitglieder, die im "
        "laufenden Jahr eingetreten sind und keinen vollen Mitgliedsbeitrag bezahlen sollen)"_qs;
    for (int i = 0; i < kStaffelBoxes; ++i)
        txtStaffel[i].Text = i % 2 == 0 ? u"0,0000"_qs : u"0,00"_qs;
    for (TextBox *box : {&txtPreisMindestbetrag, &txtHaMindestbetrag, &txtHaZuschlag, &txtPreisZuschlag,
                         &txtHoechstbeitrag})
        box->Text = u"0,00"_qs;
    cmbSEPAFormat.List = {sepaFormatText(SepaFormat::Pain00800108), sepaFormatText(SepaFormat::Pain00800102)};
    cmbSEPAFormat.ListIndex = 0;
    registerNames();
}

FrmDTA::~FrmDTA() = default;

long FrmDTA::GetFBGNr() const
{
    // A single-selection list: the selected entry is the first selected one.
    const int i = lbPersons.ListIndex;
    if (i < 0 || i >= aFBGNr.size())
        return 0;
    return aFBGNr.at(i);
}

void FrmDTA::LaoderRe_Click(int index)
{
    if (index == 0) {
        chkRechnung.Visible = true;
    } else {
        chkRechnung.Visible = false;
        chkRechnung.Value = 0;
    }
    // The owner list of the selection dialog depends on the payment type: a restriction made
    // for the other type is lifted, and the clerk is told, never silently.
    if (index != m_paymentType && !strWBIN.isEmpty()) {
        const qsizetype owners = strWBIN.count(u',') + 1;
        strWBIN.clear();
        ui().message(u"Die Auswahl von "_qs + QString::number(owners)
                         + (owners == 1 ? u" Waldbesitzer"_qs : u" Waldbesitzern"_qs) + u" für die Zahlungsart „"_qs
                         + (m_paymentType == 0 ? u"Lastschrift"_qs : u"Rechnung"_qs)
                         + u"“ wurde aufgehoben: es werden wieder alle Waldbesitzer berechnet. Wählen Sie die "
                           "Waldbesitzer bei Bedarf über „Waldbesitzer Selektion“ neu aus."_qs,
                     u"Zahlungsart"_qs, MsgIcon::Information);
    }
    m_paymentType = index;
}

void FrmDTA::SetGruppeEnabled(int panel, bool on)
{
    if (panel == 1) {
        // Boxes 20 and 21 are not switched.
        for (int i = 0; i < 20; ++i)
            txtStaffel[i].Enabled = on;
    } else if (panel == 2) {
        for (TextBox *box : {&txtHaMindestbetrag, &txtPreisMindestbetrag, &txtHaZuschlag, &txtPreisZuschlag,
                             &txtHoechstbeitrag})
            box->Enabled = on;
        chkKomma.Enabled = on;
    }
}

void FrmDTA::rbEinstellung_Click(int index)
{
    if (index < 0 || index > 3)
        return;
    for (int i = 0; i < 4; ++i)
        rbEinstellung[i].Value = i == index;
    const int panel = index == 3 ? 1 : index;
    for (int p = 0; p < 3; ++p)
        grpEinstellung[p].Enabled = p == panel;
    SetGruppeEnabled(1, panel == 1);
    SetGruppeEnabled(2, panel == 2);
    strBerechnungsart = kBerechnungsarten[index];
}

void FrmDTA::lbPersons_Click()
{
    try {
        LoadCreditorData();
    } catch (const DbError &e) {
        ui().message(u"Die Daten des Gläubigers konnten nicht gelesen werden.\n"_qs + e.message(), {},
                     MsgIcon::Critical);
    }
    ShowMindestbeitraege();
}

void FrmDTA::ShowMindestbeitraege()
{
    const int i = lbPersons.ListIndex;
    if (i < 0 || i >= kMaxEntries)
        return;
    for (int k = 0; k < kFeeSlots; ++k)
        txtMindestbeitrag[k].Text = aMindestbeitraege[i][k];
}

void FrmDTA::txtMindestbeitrag_Validate(int number)
{
    const int i = lbPersons.ListIndex;
    if (number < 1 || number > kFeeSlots || i < 0 || i >= kMaxEntries)
        return;
    aMindestbeitraege[i][number - 1] = txtMindestbeitrag[number - 1].Text;
}

void FrmDTA::cmbModell_Click()
{
    txtFixtext.Text = LoadModell(cmbModell.Text());
}

namespace {

// Why an amount box refuses its text: no number at all, or one beyond the program's limit.
QString amountRefusal(const QString &text)
{
    if (typedAmount(text))
        return u"Der Betrag ist zu groß: höchstens 999.999.999,99 sind möglich."_qs;
    return u"Es wurde keine gültige Zahl eingegeben."_qs;
}

} // namespace

bool FrmDTA::LeaveDecimalBox(TextBox &box, int decimals)
{
    const auto value = typedAmountInLimit(box.Text);
    if (!value) {
        ui().message(amountRefusal(box.Text), kInputErrorTitle, MsgIcon::Critical);
        return false;
    }
    box.Text = formatNumber(*value, decimals == 4 ? u"0.0000"_qs : u"0.00"_qs);
    return true;
}

bool FrmDTA::LeaveCheckedBox(TextBox &box, BoxRule rule)
{
    const QString text = box.Text.trimmed();
    const auto refuse = [this](const QString &why) {
        ui().message(why, kInputErrorTitle, MsgIcon::Critical);
        return false;
    };
    const QString noNumber = u"Es wurde keine gültige Zahl eingegeben."_qs;
    switch (rule) {
    case BoxRule::MinimumFee:
        // Empty: no minimum fee.
        if (!text.isEmpty() && !typedAmountInLimit(text))
            return refuse(amountRefusal(text));
        // A fee is billed in whole cents, as a run reads it (RunInputs).
        if (typedDecimals(text) > 2)
            return refuse(u"Der Mindestbeitrag hat höchstens zwei Nachkommastellen."_qs);
        box.Text = text;
        return true;
    case BoxRule::VatRate: {
        if (text.isEmpty()) {
            box.Text = text;
            return true;
        }
        const std::optional<double> rate = typedAmount(text);
        if (!rate)
            return refuse(noNumber);
        if (*rate > 100)
            return refuse(u"Der Mehrwertsteuersatz muss zwischen 0 und 100 liegen."_qs);
        // A rate is billed to the cent as typed: more decimals than a rate has would be
        // computed on a rounded figure the letter does not show.
        if (typedDecimals(text) > 2)
            return refuse(u"Der Mehrwertsteuersatz hat höchstens zwei Nachkommastellen (zum Beispiel 5,5)."_qs);
        box.Text = text;
        return true;
    }
    case BoxRule::BusinessYear: {
        QString why;
        const std::optional<QString> year = typedBusinessYear(text, lWirtschaftsjahrBeginn, &why);
        if (!year)
            return refuse(why);
        box.Text = *year;
        return true;
    }
    case BoxRule::Date: {
        if (text.isEmpty()) {
            box.Text = text;
            return true;
        }
        const std::optional<QDateTime> date = parseDate(text);
        if (!date)
            return refuse(u"Es wurde kein gültiges Datum eingegeben (TT.MM.JJJJ)."_qs);
        box.Text = formatDate(*date, u"dd.mm.yyyy"_qs);
        return true;
    }
    case BoxRule::Position: {
        const bool fromLeft = &box == &txtAbsenderLinks || &box == &txtAnschriftLinks;
        const int highest = fromLeft ? kPageWidthTwips : kPageHeightTwips;
        const std::optional<int> twips = typedPosition(text, highest);
        if (!twips)
            return refuse(u"Die Position wird in Twips angegeben: eine ganze Zahl von 0 bis "_qs
                          + QLocale(QLocale::German).toString(highest) + u" (1 cm sind 567 Twips)."_qs);
        box.Text = QString::number(*twips);
        return true;
    }
    case BoxRule::Currency: {
        const std::optional<QString> currency = typedCurrency(text);
        if (!currency)
            return refuse(u"Als Währung sind nur „EUR“ und „€“ möglich: Lastschriften und Rechnungen lauten auf Euro."_qs);
        box.Text = *currency;
        return true;
    }
    case BoxRule::Formatted:     // LeaveDecimalBox, with the box's own decimals
    case BoxRule::InvoiceNumber: // LeaveInvoiceNumberBox
    case BoxRule::None:
        break;
    }
    return true;
}

QString FrmDTA::LeaveRefusedBoxes()
{
    // The calculation basis boxes lie in their panel on the third tab: a disabled panel or
    // a hidden tab blocks them whatever the box's own switch says.
    const auto reachable = [this](const ControlRegistry::RefusedBox &r) {
        if (!r.box->Enabled || !r.box->Visible)
            return false;
        const auto inBox = [&](const TextBox &b) { return r.box == &b; };
        const bool scale = std::any_of(txtStaffel.begin(), txtStaffel.end(), inBox);
        const bool formula = inBox(txtPreisMindestbetrag) || inBox(txtHaMindestbetrag) || inBox(txtHaZuschlag)
                             || inBox(txtPreisZuschlag) || inBox(txtHoechstbeitrag);
        if (scale || formula)
            return SSTab1.TabVisible.value(2) && grpEinstellung[scale ? 1 : 2].Enabled;
        return true;
    };
    for (const ControlRegistry::RefusedBox &r : m_names.refusedBoxes()) {
        if (!reachable(r))
            m_names.restoreAccepted(r.name);
        else if (m_names.set(r.name, r.box->Text) != ControlRegistry::SetResult::Ok)
            return r.name;
    }
    return {};
}

bool FrmDTA::LeaveInvoiceNumberBox()
{
    const std::optional<qint64> number = invoiceNumber(txtRechNr.Text);
    if (!number) {
        ui().message(u"Die Rechnungsnummer muss eine ganze Zahl von 1 bis 999.999.999 sein."_qs, kInputErrorTitle,
                     MsgIcon::Critical);
        return false;
    }
    txtRechNr.Text = QString::number(*number);
    return true;
}

std::optional<QDate> invoiceDate(const FrmDTA &form)
{
    return invoiceDate(form.txtRechDat.Text, form.clock().today());
}

} // namespace qvl
