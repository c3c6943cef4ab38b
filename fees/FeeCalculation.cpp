#include "fees/FeeCalculation.h"

#include "app/InputRules.h"
#include "app/RunInputs.h"
#include "text/Conversions.h"
#include "core/FeeAmounts.h"
#include "fees/FeeModes.h"
#include "core/RunError.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringBuilder>

#include <algorithm>
#include <cmath>

namespace qvl {

namespace {

using namespace fees;

// The longest start of `text` that fits `room` characters and ends with a whole word, so
// that no figure is cut.
QStringView wholeWords(QStringView text, qsizetype room)
{
    if (text.size() <= room)
        return text;
    const qsizetype cut = text.left(room + 1).lastIndexOf(u' ');
    return cut <= 0 ? QStringView() : text.left(cut).trimmed();
}

// The remittance line: the VAT texts (one blank between two) win over the form's text.
QString remittanceLine(QStringView text, QStringView vatTexts)
{
    constexpr qsizetype kRoom = 26;
    constexpr qsizetype kLineLength = 27;
    const QStringView kept = wholeWords(vatTexts, kRoom);
    const QString joined = text.left(kRoom - kept.size()) % u' ' % kept;
    QString line = QStringView(joined).trimmed().toString();
    line.resize(kLineLength, u' ');
    return line;
}

FeeInputs prepare(const RunInputs &run)
{
    FeeInputs in;
    for (std::size_t k = 0; k < std::size_t(kFeeSlots); ++k) {
        in.ticked[k] = run.fees[k].ticked;
        in.vat[k] = run.fees[k].vat;
    }
    in.mode = run.mode;
    in.staffel = run.scaleBoxes;
    for (std::size_t j = 0; j < in.limits.size(); ++j)
        in.limits[j] = tenThousandths(in.staffel[2 * j]);
    in.scaleBase = roundHalfAwayFromZero(in.staffel[21], 2);
    in.rundeHaAuf = run.roundHectaresUp;
    in.haMindestbetrag = tenThousandths(run.formulaMinimumHectares);
    in.preisMindestbetrag = run.formulaMinimumPrice;
    in.haZuschlag = tenThousandths(run.formulaStepHectares);
    in.preisZuschlag = run.formulaStepPrice;
    in.hoechstbeitrag = run.formulaMaximumFee;
    in.komma = run.wholeEuros;
    if (run.proRata)
        in.proRataYear = run.businessYear;
    in.netto = run.netFees;
    in.verwendungszweck = run.remittance;
    in.plainRemittanceLine = remittanceLine(in.verwendungszweck, QString());
    return in;
}

// Each fee is rounded once, commercially, to the cents its line prints; whole-euro
// rounding (formula mode) rounds the fee itself, before any VAT is put on it.
void computeSlot0(const FeeInputs &in, Buchung &b, double h)
{
    double amount = 0;
    switch (in.mode) {
    case Mode::HectareClasses:
        amount = classAmount(in, h);
        break;
    case Mode::Formula:
        amount = formulaAmount(in, h, b.Beitrittsdatum, &b.Formel);
        break;
    case Mode::Scale:
        amount = scaleAmount(in, b, h);
        b.Fixbeitrag[0] = in.scaleBase;
        break;
    case Mode::OwnParameters:
        return;
    }
    // The hectares billed, as the letter prints them.
    b.HaBerechnet[0] = in.mode == Mode::Scale ? double(scaleHectares(in, h)) / 10000 : h;
    const bool wholeEuros = in.mode == Mode::Formula && in.komma;
    b.Betrag[0] = roundHalfAwayFromZero(amount, wholeEuros ? 0 : 2);
    b.Formel.wholeEuros = wholeEuros && !isZero(b.Betrag[0] - roundHalfAwayFromZero(amount, 2));
}

void computeOwnSlot(Buchung &b, int k, double h)
{
    const double amount = ownAmount(b, k, h);
    b.HaBerechnet[k] = h;
    b.Betrag[k] = roundHalfAwayFromZero(b.Mindestbeitrag[k] > amount ? b.Mindestbeitrag[k] : amount, 2);
}

void finishRecord(const FeeInputs &in, Buchung &b)
{
    settleAmounts(in, b);
    QString texts;
    for (int k = 0; k < kFeeSlots; ++k)
        if (const QString &t = b.SteuerText[std::size_t(k)]; !t.isEmpty())
            texts += (texts.isEmpty() ? QString() : u" "_qs) + t;
    // Owners without VAT texts share one line.
    b.Verwendungszweck = texts.isEmpty() ? in.plainRemittanceLine : remittanceLine(in.verwendungszweck, texts);
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
        const bool lastMonth = in.proRataYear && monthsLeft(*in.proRataYear, joined) == 0;
        return lastMonth ? ZeroReason::JoinedInLastMonth : ZeroReason::Formula;
    }
    case Mode::Scale:
        return ZeroReason::Scale;
    case Mode::OwnParameters:
        break;
    }
    return ZeroReason::OwnParameters;
}

} // namespace

bool proRataByJoiningDate(const RunInputs &run)
{
    return run.fees[0].ticked && run.mode == CalculationMode::Formula && run.proRata && run.businessYear;
}

QString monthName(int month)
{
    return QLocale(QLocale::German).monthName(std::clamp(month, 1, 12), QLocale::LongFormat);
}

QString zeroReasonText(ZeroReason reason, int lastMonth)
{
    switch (reason) {
    case ZeroReason::ClassAmount:
        return u"Betrag der ha-Staffel ist 0"_qs;
    case ZeroReason::Formula:
        return u"Ergebnis der Formel ist 0"_qs;
    case ZeroReason::JoinedInLastMonth:
        return u"im "_qs + monthName(lastMonth) + u" eingetreten, anteilige Berechnung"_qs;
    case ZeroReason::Scale:
        return u"Ergebnis der Staffel ist 0"_qs;
    case ZeroReason::OwnParameters:
        return u"eigene Beitragsparameter ergeben 0"_qs;
    case ZeroReason::Cancelled:
        return u"Beiträge ergeben zusammen 0"_qs;
    }
    return {};
}

void CalcBeitraege(const RunInputs &run, Buchungen &aBuchungen, const SlotArray<bool> &bRundeBeitrag)
{
    std::vector<DroppedOwner> dropped;
    CalcBeitraege(run, aBuchungen, bRundeBeitrag, dropped);
}

void CalcBeitraege(const RunInputs &run, Buchungen &aBuchungen, const SlotArray<bool> &bRundeBeitrag,
                   std::vector<DroppedOwner> &dropped)
{
    const FeeInputs in = prepare(run);
    refuseEndlessFormula(in, aBuchungen, bRundeBeitrag[0]);

    for (Buchung &b : aBuchungen) {
        for (int k = 0; k < kFeeSlots; ++k) {
            if (!in.ticked[k])
                continue;
            const double h = slotHectares(b.Hektar, bRundeBeitrag[k]);
            if (k == 0 && in.mode != Mode::OwnParameters)
                computeSlot0(in, b, h);
            else
                computeOwnSlot(b, k, h);
        }
        finishRecord(in, b);
    }

    for (const Buchung &b : aBuchungen)
        if (b.SummeCent.isZero())
            dropped.push_back({b.Id_Personal, b.Nummer, b.Name, b.Vorname, zeroReason(in, b)});
    std::erase_if(aBuchungen, [](const Buchung &b) { return b.SummeCent.isZero(); });
    qint64 number = run.firstInvoiceNumber;
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
