#include "einvoice/CiiXml.h"


namespace qvl {

namespace {

// Builds the document text with indentation; every value goes through xmlEscaped.
class Xml {
public:
    // rawAttributes: already escaped (the root's namespace declarations).
    void open(const char *tag, const char *rawAttributes = "")
    {
        indent();
        m_text += u'<' + QLatin1String(tag) + QLatin1String(rawAttributes) + u">\n"_qs;
        ++m_depth;
    }
    void empty(const char *tag)
    {
        indent();
        m_text += u'<' + QLatin1String(tag) + u"/>\n"_qs;
    }
    void close(const char *tag)
    {
        --m_depth;
        indent();
        m_text += u"</"_qs + QLatin1String(tag) + u">\n"_qs;
    }
    // An element with text; nothing when the text is empty (the norm has no empty values).
    void leaf(const char *tag, const QString &value, const char *attribute = nullptr, const QString &attrValue = {})
    {
        if (value.isEmpty())
            return;
        indent();
        m_text += u'<' + QLatin1String(tag);
        if (attribute)
            m_text += u' ' + QLatin1String(attribute) + u"=\""_qs + xmlEscaped(attrValue) + u'"';
        m_text += u'>' + xmlEscaped(value) + u"</"_qs + QLatin1String(tag) + u">\n"_qs;
    }
    void raw(const QString &text) { m_text += text; }
    QByteArray bytes() const { return m_text.toUtf8(); }

private:
    void indent() { m_text += QString(m_depth * 2, u' '); }

    QString m_text;
    int m_depth = 0;
};

QString date102(const QDate &d)
{
    return d.toString(u"yyyyMMdd"_qs);
}

void dateTime(Xml &x, const char *tag, const QDate &d)
{
    x.open(tag);
    x.leaf("udt:DateTimeString", date102(d), "format", u"102"_qs);
    x.close(tag);
}

// "19", "7", "5.5"
QString percent(double rate)
{
    return QString::number(rate, 'g', 10);
}

QString categoryCode(VatCategory c)
{
    switch (c) {
    case VatCategory::Standard:
        return u"S"_qs;
    case VatCategory::Exempt:
        return u"E"_qs;
    case VatCategory::NotSubject:
        break;
    }
    return u"O"_qs;
}

void documentContext(Xml &x)
{
    x.open("rsm:ExchangedDocumentContext");
    x.open("ram:GuidelineSpecifiedDocumentContextParameter");
    x.leaf("ram:ID", u"urn:cen.eu:en16931:2017"_qs);
    x.close("ram:GuidelineSpecifiedDocumentContextParameter");
    x.close("rsm:ExchangedDocumentContext");
}

void document(Xml &x, const EInvoiceData &d)
{
    x.open("rsm:ExchangedDocument");
    x.leaf("ram:ID", d.number);
    x.leaf("ram:TypeCode", u"380"_qs);
    dateTime(x, "ram:IssueDateTime", d.issueDate);
    if (!d.note.isEmpty()) {
        x.open("ram:IncludedNote");
        x.leaf("ram:Content", d.note);
        x.close("ram:IncludedNote");
    }
    x.close("rsm:ExchangedDocument");
}

void lineItem(Xml &x, const EInvoiceLine &l, int number)
{
    x.open("ram:IncludedSupplyChainTradeLineItem");
    x.open("ram:AssociatedDocumentLineDocument");
    x.leaf("ram:LineID", QString::number(number));
    x.close("ram:AssociatedDocumentLineDocument");
    x.open("ram:SpecifiedTradeProduct");
    x.leaf("ram:Name", l.name);
    x.close("ram:SpecifiedTradeProduct");
    x.open("ram:SpecifiedLineTradeAgreement");
    x.open("ram:NetPriceProductTradePrice");
    x.leaf("ram:ChargeAmount", ciiAmount(l.netCents));
    x.close("ram:NetPriceProductTradePrice");
    x.close("ram:SpecifiedLineTradeAgreement");
    x.open("ram:SpecifiedLineTradeDelivery");
    x.leaf("ram:BilledQuantity", u"1"_qs, "unitCode", u"C62"_qs);
    x.close("ram:SpecifiedLineTradeDelivery");
    x.open("ram:SpecifiedLineTradeSettlement");
    x.open("ram:ApplicableTradeTax");
    x.leaf("ram:TypeCode", u"VAT"_qs);
    x.leaf("ram:CategoryCode", categoryCode(l.category));
    // "Not subject to VAT" has no rate; exempt fees have 0 %.
    if (l.category != VatCategory::NotSubject)
        x.leaf("ram:RateApplicablePercent", percent(l.ratePercent));
    x.close("ram:ApplicableTradeTax");
    x.open("ram:SpecifiedTradeSettlementLineMonetarySummation");
    x.leaf("ram:LineTotalAmount", ciiAmount(l.netCents));
    x.close("ram:SpecifiedTradeSettlementLineMonetarySummation");
    x.close("ram:SpecifiedLineTradeSettlement");
    x.close("ram:IncludedSupplyChainTradeLineItem");
}

void address(Xml &x, const EInvoiceAddress &a)
{
    x.open("ram:PostalTradeAddress");
    x.leaf("ram:PostcodeCode", a.postcode);
    x.leaf("ram:LineOne", a.lineOne);
    x.leaf("ram:LineTwo", a.lineTwo);
    x.leaf("ram:LineThree", a.lineThree);
    x.leaf("ram:CityName", a.city);
    x.leaf("ram:CountryID", a.country);
    x.close("ram:PostalTradeAddress");
}

void contact(Xml &x, const EInvoiceParty &p)
{
    if (p.phone.isEmpty() && p.email.isEmpty())
        return;
    x.open("ram:DefinedTradeContact");
    if (!p.phone.isEmpty()) {
        x.open("ram:TelephoneUniversalCommunication");
        x.leaf("ram:CompleteNumber", p.phone);
        x.close("ram:TelephoneUniversalCommunication");
    }
    if (!p.email.isEmpty()) {
        x.open("ram:EmailURIUniversalCommunication");
        x.leaf("ram:URIID", p.email);
        x.close("ram:EmailURIUniversalCommunication");
    }
    x.close("ram:DefinedTradeContact");
}

void taxRegistration(Xml &x, const QString &id, const QString &scheme)
{
    if (id.isEmpty())
        return;
    x.open("ram:SpecifiedTaxRegistration");
    x.leaf("ram:ID", id, "schemeID", scheme);
    x.close("ram:SpecifiedTaxRegistration");
}

void party(Xml &x, const char *tag, const EInvoiceParty &p)
{
    x.open(tag);
    x.leaf("ram:ID", p.id);
    x.leaf("ram:Name", p.name);
    if (!p.tradingName.isEmpty()) {
        x.open("ram:SpecifiedLegalOrganization");
        x.leaf("ram:TradingBusinessName", p.tradingName);
        x.close("ram:SpecifiedLegalOrganization");
    }
    contact(x, p);
    address(x, p.address);
    taxRegistration(x, p.taxNumber, u"FC"_qs);
    taxRegistration(x, p.vatId, u"VA"_qs);
    x.close(tag);
}

void agreement(Xml &x, const EInvoiceData &d)
{
    x.open("ram:ApplicableHeaderTradeAgreement");
    party(x, "ram:SellerTradeParty", d.seller);
    party(x, "ram:BuyerTradeParty", d.buyer);
    x.close("ram:ApplicableHeaderTradeAgreement");
}

// The fees are no deliveries; the element is required all the same.
void delivery(Xml &x)
{
    x.empty("ram:ApplicableHeaderTradeDelivery");
}

void paymentMeans(Xml &x, const EInvoicePayment &p)
{
    if (p.kind == PaymentKind::None)
        return;
    x.open("ram:SpecifiedTradeSettlementPaymentMeans");
    if (p.kind == PaymentKind::DirectDebit) {
        x.leaf("ram:TypeCode", u"59"_qs);
        x.leaf("ram:Information", u"SEPA-Lastschrift"_qs);
        x.open("ram:PayerPartyDebtorFinancialAccount");
        x.leaf("ram:IBANID", p.debitedIban);
        x.close("ram:PayerPartyDebtorFinancialAccount");
    } else {
        x.leaf("ram:TypeCode", u"58"_qs);
        x.leaf("ram:Information", u"SEPA-Überweisung"_qs);
        x.open("ram:PayeePartyCreditorFinancialAccount");
        x.leaf("ram:IBANID", p.payeeIban);
        x.close("ram:PayeePartyCreditorFinancialAccount");
        if (!p.payeeBic.isEmpty()) {
            x.open("ram:PayeeSpecifiedCreditorFinancialInstitution");
            x.leaf("ram:BICID", p.payeeBic);
            x.close("ram:PayeeSpecifiedCreditorFinancialInstitution");
        }
    }
    x.close("ram:SpecifiedTradeSettlementPaymentMeans");
}

void vatBreakdown(Xml &x, const EInvoiceVatGroup &g)
{
    x.open("ram:ApplicableTradeTax");
    x.leaf("ram:CalculatedAmount", ciiAmount(g.taxCents));
    x.leaf("ram:TypeCode", u"VAT"_qs);
    if (g.category != VatCategory::Standard)
        x.leaf("ram:ExemptionReason", g.exemptionReason);
    x.leaf("ram:BasisAmount", ciiAmount(g.basisCents));
    x.leaf("ram:CategoryCode", categoryCode(g.category));
    if (g.category != VatCategory::NotSubject)
        x.leaf("ram:RateApplicablePercent", percent(g.ratePercent));
    x.close("ram:ApplicableTradeTax");
}

void billingPeriod(Xml &x, const EInvoiceData &d)
{
    if (!d.periodStart || !d.periodEnd)
        return;
    x.open("ram:BillingSpecifiedPeriod");
    dateTime(x, "ram:StartDateTime", *d.periodStart);
    dateTime(x, "ram:EndDateTime", *d.periodEnd);
    x.close("ram:BillingSpecifiedPeriod");
}

// A positive amount due needs a due date or payment terms.
void paymentTerms(Xml &x, const EInvoicePayment &p)
{
    x.open("ram:SpecifiedTradePaymentTerms");
    x.leaf("ram:Description", p.terms);
    if (p.dueDate)
        dateTime(x, "ram:DueDateDateTime", *p.dueDate);
    if (p.kind == PaymentKind::DirectDebit)
        x.leaf("ram:DirectDebitMandateID", p.mandate);
    x.close("ram:SpecifiedTradePaymentTerms");
}

void totals(Xml &x, const EInvoiceData &d)
{
    x.open("ram:SpecifiedTradeSettlementHeaderMonetarySummation");
    x.leaf("ram:LineTotalAmount", ciiAmount(d.lineTotalCents));
    x.leaf("ram:TaxBasisTotalAmount", ciiAmount(d.lineTotalCents));
    x.leaf("ram:TaxTotalAmount", ciiAmount(d.taxTotalCents), "currencyID", d.currency);
    if (!d.roundingCents.isZero())
        x.leaf("ram:RoundingAmount", ciiAmount(d.roundingCents));
    x.leaf("ram:GrandTotalAmount", ciiAmount(d.grandTotalCents));
    x.leaf("ram:DuePayableAmount", ciiAmount(d.duePayableCents));
    x.close("ram:SpecifiedTradeSettlementHeaderMonetarySummation");
}

void settlement(Xml &x, const EInvoiceData &d)
{
    x.open("ram:ApplicableHeaderTradeSettlement");
    if (d.payment.kind == PaymentKind::DirectDebit)
        x.leaf("ram:CreditorReferenceID", d.payment.creditorId);
    x.leaf("ram:PaymentReference", d.payment.reference);
    x.leaf("ram:InvoiceCurrencyCode", d.currency);
    paymentMeans(x, d.payment);
    for (const EInvoiceVatGroup &g : d.vat)
        vatBreakdown(x, g);
    billingPeriod(x, d);
    paymentTerms(x, d.payment);
    totals(x, d);
    x.close("ram:ApplicableHeaderTradeSettlement");
}

} // namespace

QString xmlEscaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;"_qs;
            continue;
        case u'<':
            out += u"&lt;"_qs;
            continue;
        case u'>':
            out += u"&gt;"_qs;
            continue;
        case u'"':
            out += u"&quot;"_qs;
            continue;
        case u'\'':
            out += u"&apos;"_qs;
            continue;
        case u'\r':
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                continue;
            out += u'\n';
            continue;
        default:
            break;
        }
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (c.isSurrogate() || (c.unicode() < 0x20 && c != u'\t' && c != u'\n') || c.unicode() == 0xFFFE
                   || c.unicode() == 0xFFFF) {
            continue;
        } else {
            out += c;
        }
    }
    return out;
}

QString ciiAmount(Money amount)
{
    return amount.decimalText();
}

QByteArray ciiXml(const EInvoiceData &d)
{
    Xml x;
    x.raw(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"_qs);
    x.open("rsm:CrossIndustryInvoice",
           " xmlns:rsm=\"urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100\""
           " xmlns:qdt=\"urn:un:unece:uncefact:data:standard:QualifiedDataType:100\""
           " xmlns:ram=\"urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100\""
           " xmlns:udt=\"urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100\"");
    documentContext(x);
    document(x, d);
    x.open("rsm:SupplyChainTradeTransaction");
    for (int i = 0; i < d.lines.size(); ++i)
        lineItem(x, d.lines.at(i), i + 1);
    agreement(x, d);
    delivery(x);
    settlement(x, d);
    x.close("rsm:SupplyChainTradeTransaction");
    x.close("rsm:CrossIndustryInvoice");
    return x.bytes();
}

} // namespace qvl
