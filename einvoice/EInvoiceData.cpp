#include "einvoice/EInvoiceData.h"

#include "app/FrmDTA.h"
#include "einvoice/CountryCodes.h"
#include "platform/Conversions.h"
#include "run/InvoiceDate.h"
#include "sepa/Iban.h"

#include <QRegularExpression>

#include <cmath>

namespace qvl {

namespace {

qint64 cents(double euros)
{
    return std::llround(roundHalfAwayFromZero(euros, 2) * 100);
}

// A VAT identifier starts with the country of issue (Greece: "EL").
bool isVatId(const QString &id)
{
    static const QRegularExpression form(u"^[A-Z]{2}[0-9A-Z+*.]{2,13}$"_qs);
    return form.match(id).hasMatch();
}

std::optional<QDate> dateOf(const QString &text)
{
    if (const auto d = parseDate(text.trimmed()))
        return d->date();
    return std::nullopt;
}

// The owner's address as the letter's address block has it: street, post-office box and
// the designation line each on a line of their own.
EInvoiceAddress ownerAddress(const Buchung &b)
{
    EInvoiceAddress a;
    QStringList lines;
    for (const QString &line : {b.StrasseOrig.trimmed(), b.Postfach.trimmed(), b.Bezeichnung.trimmed()})
        if (!line.isEmpty())
            lines.append(line);
    lines.resize(3);
    a.lineOne = lines[0];
    a.lineTwo = lines[1];
    a.lineThree = lines[2];
    a.postcode = b.PLZ.trimmed();
    a.city = b.OrtOrig.trimmed();
    a.country = isoCountryCode(b.NationOrig);
    return a;
}

QString ownerName(const Buchung &b)
{
    return (b.VornameOrig.trimmed() + u' ' + b.NameOrig.trimmed()).trimmed();
}

// Why the owner's own data make no invoice the recipient could book; empty when they do.
QString buyerProblem(const Buchung &b, const EInvoiceParty &buyer)
{
    if (buyer.name.isEmpty())
        return u"Der Name fehlt."_qs;
    if ((b.StrasseOrig.trimmed().isEmpty() && b.Postfach.trimmed().isEmpty()) || buyer.address.city.isEmpty())
        return u"Die Anschrift ist unvollständig (Straße oder Postfach und Ort)."_qs;
    if (buyer.address.country.isEmpty())
        return u"Das Länderkennzeichen „"_qs + b.NationOrig.trimmed() + u"“ ist unbekannt."_qs;
    if (!buyer.vatId.isEmpty() && !isVatId(buyer.vatId))
        return u"Die USt-IdNr. „"_qs + buyer.vatId + u"“ beginnt nicht mit dem Kennzeichen ihres Landes."_qs;
    return {};
}

QString sellerProblem(const EInvoiceRun &run, bool withVat)
{
    const EInvoiceParty &s = run.seller;
    if (s.name.isEmpty())
        return u"Der Name des Vereins fehlt."_qs;
    if (s.address.lineOne.isEmpty() || s.address.postcode.isEmpty() || s.address.city.isEmpty())
        return u"Die Anschrift des Vereins ist unvollständig."_qs;
    if (s.id.isEmpty())
        return u"Der Verein hat weder eine Gläubiger-ID noch eine Steuernummer."_qs;
    if (withVat && s.taxNumber.isEmpty())
        return u"Die Steuernummer des Vereins fehlt; sie ist auf einer Rechnung mit MwSt nötig."_qs;
    if (isoCurrency(run.currencyText).isEmpty())
        return u"Die Währung „"_qs + run.currencyText + u"“ ist kein ISO-Währungscode."_qs;
    return {};
}

// Lines and VAT groups. A fee carries VAT when the calculation applied its rate; its net
// amount is the printed amount, less the VAT it includes when the fees are gross.
void addLines(const EInvoiceRun &run, const Buchung &b, EInvoiceData &d)
{
    bool anyVat = false;
    for (int k : run.feeSlots)
        anyVat = anyVat || (!b.SteuerText[k].isEmpty() && run.rates[k].value_or(0) > 0);
    SlotArray<qint64> taxOf{};
    for (int k : run.feeSlots) {
        EInvoiceLine line;
        line.name = run.feeNames[k].trimmed().isEmpty() ? u"Beitrag "_qs + QString::number(k + 1)
                                                        : run.feeNames[k].trimmed();
        const qint64 printed = cents(b.Betrag[k]);
        if (!b.SteuerText[k].isEmpty() && run.rates[k].value_or(0) > 0) {
            line.category = VatCategory::Standard;
            line.ratePercent = *run.rates[k];
            taxOf[k] = std::llround(b.Steuer[k] * 100);
            line.netCents = run.vatOnTop ? printed : printed - taxOf[k];
        } else {
            line.category = anyVat ? VatCategory::Exempt : VatCategory::NotSubject;
            line.netCents = printed;
        }
        d.lines.append(line);

        auto group = std::find_if(d.vat.begin(), d.vat.end(), [&line](const EInvoiceVatGroup &g) {
            return g.category == line.category && g.ratePercent == line.ratePercent;
        });
        if (group == d.vat.end())
            group = d.vat.insert(d.vat.end(), EInvoiceVatGroup{line.category, line.ratePercent, 0, 0});
        group->basisCents += line.netCents;
        group->taxCents += taxOf[k];
        d.lineTotalCents += line.netCents;
        d.taxTotalCents += taxOf[k];
    }
}

EInvoicePayment payment(const EInvoiceRun &run, const Buchung &b)
{
    EInvoicePayment p;
    p.dueDate = run.dueDate;
    p.reference = u"Rechnung "_qs + b.RechNr;
    if (run.directDebit && !run.notCollected.contains(b.Id_Personal)) {
        p.kind = PaymentKind::DirectDebit;
        // The bank file carries the member number when the mandate reference is blank.
        p.mandate = b.Mandatsnummer.isEmpty() ? QString::number(b.Nummer) : b.Mandatsnummer;
        p.creditorId = run.creditorId;
        p.debitedIban = b.IBAN;
    } else if (!run.payeeIban.isEmpty()) {
        p.kind = PaymentKind::CreditTransfer;
        p.payeeIban = run.payeeIban;
        p.payeeBic = run.payeeBic;
    }
    return p;
}

} // namespace

QString isoCurrency(const QString &text)
{
    const QString t = text.trimmed().toUpper();
    if (t == u"€"_qs || t == u"EURO"_qs)
        return u"EUR"_qs;
    static const QRegularExpression iso(u"^[A-Z]{3}$"_qs);
    return iso.match(t).hasMatch() ? t : QString();
}

EInvoiceRun eInvoiceRun(const FrmDTA &f, const QString &sellerName, const QSet<long> &notCollected)
{
    EInvoiceRun run;
    EInvoiceParty &s = run.seller;
    s.name = sellerName.trimmed();
    s.address.lineOne = f.txtAdresse.Text.trimmed();
    s.address.postcode = f.txtPLZ.Text.trimmed();
    s.address.city = f.txtOrt.Text.trimmed();
    s.address.country = u"DE"_qs;
    s.taxNumber = f.txtSteuernummer.Text.trimmed();
    s.phone = f.txtTelefon.Text.trimmed();
    s.email = f.txtEmail.Text.trimmed();
    run.creditorId = normalisedIban(f.txtGlaubigerID.Text);
    // The creditor id names the association uniquely; the tax number does so too.
    s.id = run.creditorId.isEmpty() ? s.taxNumber : run.creditorId;

    run.issueDate = invoiceDate(f).value_or(f.clock().today());
    run.currencyText = f.strWaehrung;
    run.directDebit = f.LaoderRe[0].Value;
    run.vatOnTop = f.bBeitraegeNetto;
    run.note = f.txtFixtext.Text.trimmed();
    run.payeeIban = normalisedIban(f.txtKontonummer.Text);
    run.payeeBic = normalisedIban(f.txtBankleitzahl.Text);
    run.dueDate = dateOf(f.txtFaellDat.Text);
    static const QRegularExpression year(u"^\\d{4}$"_qs);
    if (year.match(f.txtWirtschaftsjahr.Text.trimmed()).hasMatch())
        run.businessYear = f.txtWirtschaftsjahr.Text.trimmed().toInt();
    for (int k = 0; k < kFeeSlots; ++k) {
        if (f.chkBeitrag[size_t(k)].Value == 1)
            run.feeSlots.append(k);
        run.feeNames[k] = f.aBeitragsNamen[size_t(k)];
        run.rates[k] = parseNumber(f.txtMwst[size_t(k)].Text.trimmed());
    }
    run.notCollected = notCollected;
    return run;
}

EInvoiceBuild buildEInvoiceData(const EInvoiceRun &run, const Buchung &b)
{
    EInvoiceData d;
    d.number = b.RechNr;
    d.issueDate = run.issueDate;
    d.currency = isoCurrency(run.currencyText);
    d.note = run.note;
    if (run.businessYear) {
        d.periodStart = QDate(*run.businessYear, 1, 1);
        d.periodEnd = QDate(*run.businessYear, 12, 31);
    }
    d.seller = run.seller;
    addLines(run, b, d);

    const bool withVat = std::any_of(d.lines.begin(), d.lines.end(),
                                     [](const EInvoiceLine &l) { return l.category != VatCategory::NotSubject; });
    if (const QString problem = sellerProblem(run, withVat); !problem.isEmpty())
        return {std::nullopt, problem};

    EInvoiceParty &buyer = d.buyer;
    buyer.id = QString::number(b.Nummer);
    buyer.name = ownerName(b);
    if (!b.NameUnternehmen.isEmpty())
        buyer.tradingName = b.NameOrig.trimmed().left(40).trimmed();
    buyer.address = ownerAddress(b);
    // A buyer's VAT identifier may stand only on an invoice that has VAT categories.
    buyer.vatId = withVat ? b.USTID.trimmed().toUpper() : QString();
    if (const QString problem = buyerProblem(b, buyer); !problem.isEmpty())
        return {std::nullopt, problem};
    if (run.feeSlots.isEmpty())
        return {std::nullopt, u"Kein Beitrag ist ausgewählt."_qs};

    d.grandTotalCents = d.lineTotalCents + d.taxTotalCents;
    d.duePayableCents = std::llround(b.Summe);
    d.roundingCents = d.duePayableCents - d.grandTotalCents;
    d.payment = payment(run, b);
    return {d, {}};
}

} // namespace qvl
