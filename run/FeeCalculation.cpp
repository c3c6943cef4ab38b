#include "run/FeeCalculation.h"

#include "app/FrmDTA.h"
#include "app/InputRules.h"
#include "platform/Conversions.h"
#include "run/FeeModes.h"
#include "run/RunError.h"

#include <QRegularExpression>
#include <QStringBuilder>

#include <algorithm>
#include <cmath>

namespace qvl {

namespace {

using namespace fees;

// The remittance line: the VAT texts win over the form's text.
QString remittanceLine(QStringView text, QStringView vatTexts)
{
    constexpr qsizetype kRoom = 26;
    constexpr qsizetype kLineLength = 27;
    const QStringView kept = vatTexts.left(kRoom);
    const QString joined = text.left(kRoom - kept.size()) % u' ' % kept;
    QString line = QStringView(joined).trimmed().toString();
    line.resize(kLineLength, u' ');
    return line;
}

FeeInputs readInputs(const FrmDTA &form)
{
    FeeInputs in;
    for (int k = 0; k < kFeeSlots; ++k) {
        in.ticked[k] = form.chkBeitrag[k].Value == 1;
        const QString rate = form.txtMwst[k].Text;
        if (const std::optional<double> value = parseNumber(rate))
            in.vat[k] = {true, *value, rate.trimmed()};
    }
    if (form.rbEinstellung[1].Value)
        in.mode = Mode::HectareClasses;
    else if (form.rbEinstellung[2].Value)
        in.mode = Mode::Formula;
    else if (form.rbEinstellung[3].Value)
        in.mode = Mode::Scale;
    for (int i = 0; i < kStaffelBoxes; ++i)
        in.staffel[i] = numberOrZero(form.txtStaffel[i].Text);
    for (std::size_t j = 0; j < in.limits.size(); ++j)
        in.limits[j] = tenThousandths(in.staffel[2 * j]);
    in.scaleBase = roundHalfAwayFromZero(in.staffel[21], 2);
    in.rundeHaAuf = form.chkRundeHAauf.Value == 1;
    in.haMindestbetrag = tenThousandths(numberOrZero(form.txtHaMindestbetrag.Text));
    in.preisMindestbetrag = numberOrZero(form.txtPreisMindestbetrag.Text);
    in.haZuschlag = tenThousandths(numberOrZero(form.txtHaZuschlag.Text));
    in.preisZuschlag = numberOrZero(form.txtPreisZuschlag.Text);
    in.hoechstbeitrag = numberOrZero(form.txtHoechstbeitrag.Text);
    in.komma = form.chkKomma.Value == 1;
    if (form.chkAnteiligeBerechnung.Value == 1)
        in.proRataYear = businessYear(form.txtWirtschaftsjahr.Text);
    in.netto = form.bBeitraegeNetto;
    in.verwendungszweck = form.txtVerwendungszweck.Text;
    in.plainRemittanceLine = remittanceLine(in.verwendungszweck, QString());
    return in;
}

// Summe shows as "0,00" only below half a cent; clearly above, the costly formatting is skipped.
bool showsAsZero(double summe)
{
    if (std::abs(summe) > 0.00501)
        return false;
    return formatNumber(summe, QStringLiteral("##0.00")) == QLatin1String("0,00");
}

// The form's modes round the fee to cents, so it goes into the total as it is.
void computeSlot0(const FeeInputs &in, Buchung &b, double h, bool roundToWhole)
{
    double amount = 0;
    switch (in.mode) {
    case Mode::HectareClasses:
        amount = classAmount(in, h);
        break;
    case Mode::Formula:
        amount = formulaAmount(in, h, b.Beitrittsdatum);
        break;
    case Mode::Scale:
        amount = scaleAmount(in, b, h, roundToWhole);
        b.Fixbeitrag[0] = in.scaleBase;
        break;
    case Mode::OwnParameters:
        return;
    }
    b.HaBerechnet[0] = h;
    b.Betrag[0] = roundHalfAwayFromZero(amount, 2);
    b.Summe += b.Betrag[0];
    if (in.mode == Mode::Formula && in.komma)
        b.Summe = roundHalfEven(b.Betrag[0], 0);
}

void computeOwnSlot(Buchung &b, int k, double h)
{
    const double amount = ownAmount(b, k, h);
    b.HaBerechnet[k] = h;
    b.Betrag[k] = b.Mindestbeitrag[k] > amount ? b.Mindestbeitrag[k] : amount;
    b.Summe += roundHalfAwayFromZero(b.Betrag[k], 2); // the fee itself keeps its decimals
}

// Only when the total so far, this slot included, shows as more than 0,00.
void applyVat(const FeeInputs &in, Buchung &b, int k)
{
    const Vat &vat = in.vat[k];
    if (!vat.applies || showsAsZero(b.Summe))
        return;
    const QString fee = formatNumber(b.Betrag[k], QStringLiteral("##0.00"));
    if (in.netto) {
        b.Steuer[k] = roundHalfEven(vat.rate * b.Betrag[k] / 100, 2);
        b.Summe += b.Steuer[k];
        b.SteuerText[k] = vat.label % u"% MwSt " % generalNumber(b.Steuer[k]) % u"€ auf " % fee % u'€';
    } else {
        const double included = b.Betrag[k] / (vat.rate + 100) * vat.rate;
        b.Steuer[k] = roundHalfEven(included, 2);
        b.SteuerText[k] = vat.label % u"% MwSt " % formatNumber(included, QStringLiteral("##0.00"))
            % u"€ aus " % fee % u'€';
    }
}

void finishRecord(const FeeInputs &in, Buchung &b)
{
    b.Summe = roundHalfEven(b.Summe * 100, 0);
    const auto &t = b.SteuerText;
    // Owners without VAT texts share one line.
    if (t[0].isEmpty() && t[1].isEmpty() && t[2].isEmpty() && t[3].isEmpty() && t[4].isEmpty())
        b.Verwendungszweck = in.plainRemittanceLine;
    else
        b.Verwendungszweck = remittanceLine(in.verwendungszweck, QString(t[0] % t[1] % t[2] % t[3] % t[4]));
}

// The refusal comes before any record is touched, so a refused run leaves them as read.
void refuseEndlessFormula(const FeeInputs &in, const Buchungen &records, bool roundSlot0)
{
    if (!in.ticked[0] || in.mode != Mode::Formula || in.haZuschlag > 0)
        return;
    for (const Buchung &b : records) {
        if (tenThousandths(slotHectares(b.Hektar, roundSlot0)) > in.haMindestbetrag)
            throw RunError(RunError::Kind::Input, QStringLiteral(
                "Der Zuschlag je Hektar (Feld „Zuschlag alle … ha“) muss größer als 0 sein, sonst "
                "kann der Beitrag nach Formel nicht berechnet werden."));
    }
}

// "0" in front makes an empty box 0; a decimal ("12,7") counts with its whole part.
qint64 firstInvoiceNumber(const QString &text)
{
    const double value = std::floor(numberOrZero(u'0' + text.trimmed()));
    return qint64(std::clamp(value, 0.0, 1e15));
}

ZeroReason zeroReason(const FeeInputs &in, const Buchung &b)
{
    if (!in.ticked[0] || in.mode == Mode::OwnParameters || !isZero(b.Betrag[0])) {
        for (int k = 0; k < kFeeSlots; ++k)
            if (in.ticked[std::size_t(k)] && !isZero(b.Betrag[std::size_t(k)]))
                return ZeroReason::Cancelled;
        return ZeroReason::OwnParameters;
    }
    switch (in.mode) {
    case Mode::HectareClasses:
        return ZeroReason::ClassAmount;
    case Mode::Formula: {
        const QDate &joined = b.Beitrittsdatum;
        const bool december = in.proRataYear && joined.isValid() && joined.year() == *in.proRataYear
                              && joined.month() == 12;
        return december ? ZeroReason::JoinedInDecember : ZeroReason::Formula;
    }
    case Mode::Scale:
        return ZeroReason::Scale;
    case Mode::OwnParameters:
        break;
    }
    return ZeroReason::OwnParameters;
}

} // namespace

// The business year is normally typed as a bare year ("2026"), which no date reader
// accepts; a full date names its year too.
std::optional<int> businessYear(const QString &text)
{
    static const QRegularExpression bareYear(QStringLiteral("^[0-9]{4}$"));
    const QString trimmed = text.trimmed();
    if (bareYear.match(trimmed).hasMatch())
        return int(numberOrZero(trimmed));
    if (const std::optional<QDateTime> date = parseDate(trimmed))
        return date->date().year();
    return std::nullopt;
}

bool proRataByJoiningDate(const FrmDTA &form)
{
    return form.chkBeitrag[0].Value == 1 && form.rbEinstellung[2].Value && form.chkAnteiligeBerechnung.Value == 1
           && businessYear(form.txtWirtschaftsjahr.Text);
}

QString zeroReasonText(ZeroReason reason)
{
    switch (reason) {
    case ZeroReason::ClassAmount:
        return u"Betrag der ha-Staffel ist 0"_qs;
    case ZeroReason::Formula:
        return u"Ergebnis der Formel ist 0"_qs;
    case ZeroReason::JoinedInDecember:
        return u"im Dezember eingetreten, anteilige Berechnung"_qs;
    case ZeroReason::Scale:
        return u"Ergebnis der Staffel ist 0"_qs;
    case ZeroReason::OwnParameters:
        return u"eigene Beitragsparameter ergeben 0"_qs;
    case ZeroReason::Cancelled:
        return u"Beiträge ergeben zusammen 0"_qs;
    }
    return {};
}

void CalcBeitraege(const FrmDTA &form, Buchungen &aBuchungen, const SlotArray<bool> &bRundeBeitrag)
{
    std::vector<DroppedOwner> dropped;
    CalcBeitraege(form, aBuchungen, bRundeBeitrag, dropped);
}

void CalcBeitraege(const FrmDTA &form, Buchungen &aBuchungen, const SlotArray<bool> &bRundeBeitrag,
                   std::vector<DroppedOwner> &dropped)
{
    const FeeInputs in = readInputs(form);
    refuseEndlessFormula(in, aBuchungen, bRundeBeitrag[0]);

    for (Buchung &b : aBuchungen) {
        for (int k = 0; k < kFeeSlots; ++k) {
            if (!in.ticked[k])
                continue;
            const double h = slotHectares(b.Hektar, bRundeBeitrag[k]);
            if (k == 0 && in.mode != Mode::OwnParameters)
                computeSlot0(in, b, h, bRundeBeitrag[0]);
            else
                computeOwnSlot(b, k, h);
            applyVat(in, b, k);
        }
        finishRecord(in, b);
    }

    for (const Buchung &b : aBuchungen)
        if (isZero(b.Summe))
            dropped.push_back({b.Id_Personal, b.Nummer, b.Name, b.Vorname, zeroReason(in, b)});
    std::erase_if(aBuchungen, [](const Buchung &b) { return isZero(b.Summe); });
    qint64 number = firstInvoiceNumber(form.txtRechNr.Text);
    // Every output's invoice number column holds nine digits; a longer number would be cut
    // or written in exponent form.
    const qint64 last = number + qint64(aBuchungen.size()) - 1;
    if (!aBuchungen.empty() && last > kMaxInvoiceNumber)
        throw RunError(RunError::Kind::Input,
                       u"Die Rechnungsnummern dieses Laufs reichten von "_qs + QString::number(number) + u" bis "_qs
                           + QString::number(last)
                           + u". Eine Rechnungsnummer hat höchstens neun Stellen (bis 999.999.999); bitte geben "
                             "Sie eine kleinere erste Rechnungsnummer ein."_qs);
    for (Buchung &b : aBuchungen)
        b.RechNr = QString::number(number++);
}

} // namespace qvl
