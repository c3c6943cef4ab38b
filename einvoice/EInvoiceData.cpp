#include "einvoice/EInvoiceData.h"
#include "core/CreditorReference.h"

#include "core/ERechnungSetting.h"
#include "einvoice/CountryCodes.h"
#include "print/InvoicePrinting.h"

#include <QRegularExpression>

#include <cmath>

namespace qvl {

namespace {

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
    return {};
}

QString sellerProblem(const EInvoiceRun &run, const EInvoiceParty &s, bool withVat)
{
    if (s.name.isEmpty())
        return u"Der Name des Vereins fehlt."_qs;
    if (s.address.lineOne.isEmpty() || s.address.postcode.isEmpty() || s.address.city.isEmpty())
        return u"Die Anschrift des Vereins ist unvollständig."_qs;
    if (s.id.isEmpty())
        return u"Der Verein hat weder eine Gläubiger-ID noch eine Steuernummer."_qs;
    if (withVat && s.taxNumber.isEmpty() && s.vatId.isEmpty())
        return u"Die Steuernummer des Vereins fehlt; sie (oder die USt-IdNr.) ist auf einer Rechnung mit MwSt oder "
               "steuerfreien Beiträgen nötig."_qs;
    if (isoCurrency(run.currencyText).isEmpty())
        return u"Die Währung „"_qs + run.currencyText + u"“ ist kein ISO-Währungscode."_qs;
    return {};
}

// The reasons of some fees, each once, in the fees' order.
QString joinedReasons(const QStringList &reasons)
{
    QStringList distinct;
    for (const QString &r : reasons)
        if (!r.isEmpty() && !distinct.contains(r))
            distinct.append(r);
    return distinct.join(u"; "_qs);
}

// Lines and VAT groups, all from the amounts the fee calculation fixed: a fee's line net
// amount, the VAT of each rate from the rate's net total. A fee of 0,00 with a rate is no
// line at all. Without any fee carrying VAT the whole invoice is outside VAT ("O"), unless
// the association has a VAT identifier (the norm allows none beside "O"); otherwise each
// fee without VAT is exempt ("E") with its reason.
void addLines(const EInvoiceRun &run, const Buchung &b, EInvoiceData &d)
{
    bool anyVat = false;
    for (const MwstSatz &r : b.MwstSaetze)
        anyVat = anyVat || r.satz > 0;
    const VatCategory withoutVat =
        anyVat || !d.seller.vatId.isEmpty() ? VatCategory::Exempt : VatCategory::NotSubject;
    for (int k : run.feeSlots) {
        const auto slot = std::size_t(k);
        const bool rated = run.rates[slot].has_value();
        // A fee that is not due ("KEIN BEITRAG FÄLLIG" on the letter) is no line of the invoice.
        if (b.BetragCent[slot].isZero())
            continue;
        EInvoiceLine line;
        line.name = run.feeNames[slot].trimmed().isEmpty() ? u"Beitrag "_qs + QString::number(k + 1)
                                                           : run.feeNames[slot].trimmed();
        line.netCents = b.NettoCent[slot];
        if (rated && *run.rates[slot] > 0) {
            line.category = VatCategory::Standard;
            line.ratePercent = *run.rates[slot];
        } else {
            line.category = withoutVat;
            line.exemptionReason = run.exemptionReasons[slot].trimmed();
        }
        d.lines.append(line);
        d.lineTotalCents += line.netCents;
    }

    for (const MwstSatz &rate : b.MwstSaetze)
        if (rate.satz > 0) {
            d.vat.append({VatCategory::Standard, rate.satz, rate.nettoCent, rate.mwstCent, {}});
            d.taxTotalCents += rate.mwstCent;
        }
    // One group of the fees without VAT: the norm takes one breakdown per category.
    EInvoiceVatGroup exempt{withoutVat, 0, {}, {}, {}};
    QStringList reasons;
    bool anyExempt = false;
    for (const EInvoiceLine &line : d.lines)
        if (line.category != VatCategory::Standard) {
            anyExempt = true;
            exempt.basisCents += line.netCents;
            reasons.append(line.exemptionReason);
        }
    exempt.exemptionReason = joinedReasons(reasons);
    if (exempt.exemptionReason.isEmpty())
        exempt.exemptionReason = kDefaultExemptionReason;
    if (anyExempt)
        d.vat.append(exempt);
}

EInvoicePayment payment(const EInvoiceRun &run, const Buchung &b)
{
    EInvoicePayment p;
    p.dueDate = run.dueDate;
    p.reference = u"Rechnung Nr. "_qs + b.RechNr;
    // The terms say what the letter says: its debit note, its transfer request, or (an
    // invoice) its free text; the invoice number when the letter says nothing about paying.
    if (run.directDebit && !run.notCollected.contains(b.Id_Personal)) {
        p.kind = PaymentKind::DirectDebit;
        // The bank file carries the member number when the mandate reference is blank.
        p.mandate = b.Mandatsnummer.isEmpty() ? QString::number(b.Nummer) : b.Mandatsnummer;
        p.creditorId = run.creditorId;
        p.debitedIban = b.IBAN;
        p.terms = debitNoteSentence(run.dueDateText) + u" IBAN "_qs + b.IBAN;
    } else {
        if (!run.payeeIban.isEmpty()) {
            p.kind = PaymentKind::CreditTransfer;
            p.payeeIban = run.payeeIban;
            p.payeeBic = run.payeeBic;
        }
        if (run.directDebit)
            p.terms = transferRequestSentence(b.SummeCent, run.currencyText, run.dueDateText) + u" IBAN "_qs
                      + run.payeeIban;
        else if (!p.dueDate)
            p.terms = run.note.isEmpty() ? p.reference : run.note;
        // The payer transfers: the remittance information is the RF reference the letter
        // prints and its GiroCode carries (BT-83), which the bank's statement brings back.
        bool number = false;
        const qint64 invoice = b.RechNr.trimmed().toLongLong(&number);
        if (number && invoice > 0)
            p.reference = creditorReference(invoice);
    }
    return p;
}

} // namespace

bool isVatId(const QString &id)
{
    static const QRegularExpression form(u"^[A-Z]{2}[0-9A-Z+*.]{2,13}$"_qs);
    return form.match(id).hasMatch();
}

QString isoCurrency(const QString &text)
{
    const QString t = text.trimmed().toUpper();
    if (t == u"€"_qs || t == u"EURO"_qs)
        return u"EUR"_qs;
    static const QRegularExpression iso(u"^[A-Z]{3}$"_qs);
    return iso.match(t).hasMatch() ? t : QString();
}

EInvoiceBuild buildEInvoiceData(const EInvoiceRun &run, const Buchung &b)
{
    EInvoiceData d;
    d.number = b.RechNr;
    d.issueDate = run.issueDate;
    d.currency = isoCurrency(run.currencyText);
    d.note = run.note;
    if (run.businessYear) {
        d.periodStart = run.businessYear->start;
        d.periodEnd = run.businessYear->end;
    }
    d.seller = run.seller;
    QStringList leftOut;
    // An optional field that would make the invoice invalid is left out, not the invoice.
    if (!d.seller.vatId.isEmpty() && !isVatId(d.seller.vatId)) {
        leftOut.append(u"USt-IdNr. des Vereins „"_qs + d.seller.vatId + u"“ (ohne Länderkennzeichen)"_qs);
        d.seller.vatId.clear();
    }
    addLines(run, b, d);

    const bool withVat = std::any_of(d.lines.begin(), d.lines.end(),
                                     [](const EInvoiceLine &l) { return l.category != VatCategory::NotSubject; });
    if (const QString problem = sellerProblem(run, d.seller, withVat); !problem.isEmpty())
        return {std::nullopt, problem, {}};

    EInvoiceParty &buyer = d.buyer;
    buyer.id = QString::number(b.Nummer);
    buyer.name = ownerName(b);
    if (!b.NameUnternehmen.isEmpty())
        buyer.tradingName = b.NameOrig.trimmed().left(40).trimmed();
    buyer.address = ownerAddress(b);
    // A buyer's VAT identifier may stand only on an invoice that has VAT categories.
    buyer.vatId = withVat ? b.USTID.trimmed().toUpper().remove(u' ') : QString();
    if (!buyer.vatId.isEmpty() && !isVatId(buyer.vatId)) {
        leftOut.append(u"USt-IdNr. „"_qs + buyer.vatId + u"“ (ohne Länderkennzeichen)"_qs);
        buyer.vatId.clear();
    }
    if (const QString problem = buyerProblem(b, buyer); !problem.isEmpty())
        return {std::nullopt, problem, {}};
    if (run.feeSlots.isEmpty() || d.lines.isEmpty())
        return {std::nullopt, u"Kein Beitrag ist ausgewählt."_qs, {}};

    // The amount due is the one the letter, the bank file and the lists name; a cent that
    // VAT included in a gross fee leaves apart is the invoice's rounding amount.
    d.grandTotalCents = d.lineTotalCents + d.taxTotalCents;
    d.duePayableCents = b.SummeCent;
    d.roundingCents = d.duePayableCents - d.grandTotalCents;
    d.payment = payment(run, b);
    return {d, {}, leftOut};
}

} // namespace qvl
