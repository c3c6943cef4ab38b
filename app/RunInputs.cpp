#include "app/RunInputs.h"

#include "app/InputRules.h"
#include "core/InvoiceDate.h"
#include "core/RunError.h"
#include "text/Conversions.h"

#include <QRegularExpression>

#include <algorithm>

namespace qvl {

namespace {

[[noreturn]] void refuse(const QString &message)
{
    throw RunError(RunError::Kind::Input, message);
}

// "… ist keine gültige Zahl: „1.2“. Bitte korrigieren Sie ihn." for a box named `what`
// ("Der Höchstbeitrag").
[[noreturn]] void refuseNumber(const QString &what, const QString &text)
{
    refuse(what + u" ist keine gültige Zahl: „"_qs + text.trimmed() + u"“. Bitte korrigieren Sie ihn."_qs);
}

// A box of the calculation basis: empty is 0, anything else as the box reads it.
double basisNumber(const QString &what, const QString &text)
{
    if (text.trimmed().isEmpty())
        return 0;
    if (const std::optional<double> value = typedAmount(text))
        return *value;
    refuseNumber(what, text);
}

// The scale's boxes as the page "Berechnungsbasis" shows them: line 1 the fixed fee of
// 0 ha (boxes 20 and 21), then "> 0ha bis" (0 and 1) and nine lines "über" (2 to 19); the
// left box of a line its hectares, the right one its fee.
QString scaleBoxName(int i)
{
    const int line = i >= 20 ? 1 : i / 2 + 2;
    return u"Der Wert der ha-Staffel in Zeile "_qs + QString::number(line)
           + (i % 2 == 0 ? u" (Hektar)"_qs : u" (Beitrag in €)"_qs);
}

QString slotLabel(const FrmDTA &f, int k)
{
    const QString name = f.aBeitragsNamen[std::size_t(k)].trimmed();
    return name.isEmpty() ? u"Beitrag "_qs + QString::number(k + 1) : name;
}

std::optional<Money> minimumFee(const FrmDTA &f, int k)
{
    const QString &text = f.txtMindestbeitrag[std::size_t(k)].Text;
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const QString what = u"Der Mindestbeitrag von „"_qs + slotLabel(f, k) + u"“"_qs;
    const std::optional<double> value = typedAmount(text);
    if (!value)
        refuseNumber(what, text);
    if (typedDecimals(text) > 2)
        refuse(what + u" („"_qs + text.trimmed()
               + u"“) hat mehr als zwei Nachkommastellen. Bitte korrigieren Sie ihn."_qs);
    return Money::fromEuros(*value);
}

fees::Vat vatRate(const FrmDTA &f, int k)
{
    const QString text = f.txtMwst[std::size_t(k)].Text.trimmed();
    if (text.isEmpty())
        return {};
    const QString what = u"Der Mehrwertsteuersatz von „"_qs + slotLabel(f, k) + u"“"_qs;
    const std::optional<double> rate = typedAmount(text);
    if (!rate)
        refuseNumber(what, text);
    if (*rate > 100 || typedDecimals(text) > 2)
        refuse(what + u" („"_qs + text
               + u"“) muss zwischen 0 und 100 liegen und hat höchstens zwei Nachkommastellen. Bitte korrigieren "
                 "Sie ihn."_qs);
    return {true, *rate, text};
}

// An empty box is no date; a text that is no date is refused.
QDate typedDate(const QString &box, const QString &text)
{
    if (text.trimmed().isEmpty())
        return {};
    if (const std::optional<QDateTime> date = parseDate(text))
        return date->date();
    refuse(box + u" „"_qs + text.trimmed() + u"“ ist kein gültiges Datum. Bitte korrigieren Sie es."_qs);
}

CalculationMode modeOf(const FrmDTA &f)
{
    if (f.rbEinstellung[1].Value)
        return CalculationMode::HectareClasses;
    if (f.rbEinstellung[2].Value)
        return CalculationMode::Formula;
    if (f.rbEinstellung[3].Value)
        return CalculationMode::Scale;
    return CalculationMode::OwnParameters;
}

} // namespace

bool RunInputs::anyFeeTicked() const
{
    return std::any_of(fees.begin(), fees.end(), [](const FeeSlotInputs &s) { return s.ticked; });
}

std::optional<QList<long>> ownerSelectionNumbers(const QString &strWBIN, bool *valid)
{
    *valid = true;
    if (strWBIN.isEmpty())
        return std::nullopt;
    static const QRegularExpression list(uR"(^ *\( *-?[0-9]+( *, *-?[0-9]+)* *\) *$)"_qs);
    if (!list.match(strWBIN).hasMatch()) {
        *valid = false;
        return QList<long>();
    }
    QList<long> numbers;
    static const QRegularExpression number(u"-?[0-9]+"_qs);
    for (const QRegularExpressionMatch &m : number.globalMatch(strWBIN))
        numbers.append(m.captured().toLong());
    return numbers;
}

RunInputs readRunInputs(const FrmDTA &f)
{
    RunInputs in;
    in.payment = f.LaoderRe[0].Value ? PaymentType::DirectDebit : PaymentType::Invoice;

    in.dueDate = typedDate(u"Das Fälligkeitsdatum"_qs, f.txtFaellDat.Text);
    const std::optional<QDate> invoiceDay = invoiceDate(f.txtRechDat.Text, f.clock().today());
    if (!invoiceDay)
        typedDate(u"Das Rechnungsdatum"_qs, f.txtRechDat.Text); // refuses
    in.invoiceDate = *invoiceDay;

    in.businessYearText = f.txtWirtschaftsjahr.Text;
    in.businessYear = businessYearOf(f.txtWirtschaftsjahr.Text, f.lWirtschaftsjahrBeginn);
    static const QRegularExpression bareYear(u"^([0-9]{4})(\\s*/\\s*[0-9]{2,4})?$"_qs);
    const QString year = f.txtWirtschaftsjahr.Text.trimmed();
    if (const QRegularExpressionMatch m = bareYear.match(year); m.hasMatch())
        in.firstBusinessYear = m.captured(1).toInt();
    else if (const std::optional<QDateTime> date = parseDate(year))
        in.firstBusinessYear = date->date().year();

    for (int k = 0; k < kFeeSlots; ++k) {
        FeeSlotInputs &slot = in.fees[std::size_t(k)];
        slot.name = f.aBeitragsNamen[std::size_t(k)];
        slot.ticked = f.chkBeitrag[std::size_t(k)].Value == 1;
        slot.minimumFee = minimumFee(f, k);
        slot.vat = vatRate(f, k);
    }
    in.netFees = f.bBeitraegeNetto;

    in.mode = modeOf(f);
    for (int i = 0; i < kStaffelBoxes; ++i)
        in.scaleBoxes[std::size_t(i)] = basisNumber(scaleBoxName(i), f.txtStaffel[std::size_t(i)].Text);
    in.roundHectaresUp = f.chkRundeHAauf.Value == 1;
    in.formulaMinimumPrice = basisNumber(u"Der Mindestbetrag der Formel (€)"_qs, f.txtPreisMindestbetrag.Text);
    in.formulaMinimumHectares = basisNumber(u"Die Hektar des Mindestbetrags der Formel („bis … ha“)"_qs,
                                            f.txtHaMindestbetrag.Text);
    in.formulaStepHectares = basisNumber(u"Der Zuschlag der Formel („Zuschlag alle … ha“)"_qs, f.txtHaZuschlag.Text);
    in.formulaStepPrice = basisNumber(u"Der Preis des Zuschlags der Formel (€)"_qs, f.txtPreisZuschlag.Text);
    in.formulaMaximumFee = basisNumber(u"Der Höchstbeitrag"_qs, f.txtHoechstbeitrag.Text);
    in.wholeEuros = f.chkKomma.Value == 1;
    in.proRata = f.chkAnteiligeBerechnung.Value == 1;

    in.remittance = f.txtVerwendungszweck.Text;
    if (!f.txtRechNr.Text.trimmed().isEmpty()) {
        const std::optional<qint64> first = invoiceNumber(f.txtRechNr.Text);
        if (!first)
            refuse(u"Die Rechnungsnummer „"_qs + f.txtRechNr.Text.trimmed()
                   + u"“ ist keine ganze Zahl von 1 bis 999.999.999. Bitte korrigieren Sie sie."_qs);
        in.firstInvoiceNumber = *first;
    }

    bool valid = true;
    in.owners = ownerSelectionNumbers(f.strWBIN, &valid);
    if (!valid)
        refuse(u"Die Waldbesitzer-Auswahl „"_qs + f.strWBIN
               + u"“ ist ungültig; sie muss eine Liste von Nummern in Klammern sein."_qs);
    return in;
}

} // namespace qvl
