#include "fees/FeeCalculation.h"

#include "app/FrmDTA.h"
#include "app/InputRules.h"
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

FeeInputs readInputs(const FrmDTA &form)
{
    FeeInputs in;
    for (int k = 0; k < kFeeSlots; ++k) {
        in.ticked[k] = form.chkBeitrag[k].Value == 1;
        const QString rate = form.txtMwst[k].Text;
        if (!rate.trimmed().isEmpty())
            in.vat[k] = {true, runAmount(rate), rate.trimmed()};
    }
    if (form.rbEinstellung[1].Value)
        in.mode = Mode::HectareClasses;
    else if (form.rbEinstellung[2].Value)
        in.mode = Mode::Formula;
    else if (form.rbEinstellung[3].Value)
        in.mode = Mode::Scale;
    for (int i = 0; i < kStaffelBoxes; ++i)
        in.staffel[i] = runAmount(form.txtStaffel[i].Text);
    for (std::size_t j = 0; j < in.limits.size(); ++j)
        in.limits[j] = tenThousandths(in.staffel[2 * j]);
    in.scaleBase = roundHalfAwayFromZero(in.staffel[21], 2);
    in.rundeHaAuf = form.chkRundeHAauf.Value == 1;
    in.haMindestbetrag = tenThousandths(runAmount(form.txtHaMindestbetrag.Text));
    in.preisMindestbetrag = runAmount(form.txtPreisMindestbetrag.Text);
    in.haZuschlag = tenThousandths(runAmount(form.txtHaZuschlag.Text));
    in.preisZuschlag = runAmount(form.txtPreisZuschlag.Text);
    in.hoechstbeitrag = runAmount(form.txtHoechstbeitrag.Text);
    in.komma = form.chkKomma.Value == 1;
    if (form.chkAnteiligeBerechnung.Value == 1)
        in.proRataYear = businessYearOf(form.txtWirtschaftsjahr.Text, form.lWirtschaftsjahrBeginn);
    in.netto = form.bBeitraegeNetto;
    in.verwendungszweck = form.txtVerwendungszweck.Text;
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

// The business year is normally typed as a bare year ("2026"), which no date reader
// accepts; a full date names its year too.
std::optional<int> businessYear(const QString &text)
{
    static const QRegularExpression bareYear(QStringLiteral("^([0-9]{4})(\\s*/\\s*[0-9]{2,4})?$"));
    const QString trimmed = text.trimmed();
    if (const QRegularExpressionMatch m = bareYear.match(trimmed); m.hasMatch())
        return m.captured(1).toInt();
    if (const std::optional<QDateTime> date = parseDate(trimmed))
        return date->date().year();
    return std::nullopt;
}

bool proRataByJoiningDate(const FrmDTA &form)
{
    return form.chkBeitrag[0].Value == 1 && form.rbEinstellung[2].Value && form.chkAnteiligeBerechnung.Value == 1
           && businessYearOf(form.txtWirtschaftsjahr.Text, form.lWirtschaftsjahrBeginn);
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
