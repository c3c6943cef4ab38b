// One direct debit of the bank file: mandate, amount, the debtor's bank, name, account
// and remittance text.

#include "sepa/SepaDocument.h"

#include "core/Iban.h"
#include "sepa/SepaBlock.h"

#include <algorithm>

namespace qvl {

namespace {

// Schema lengths of the free texts.
constexpr int remittanceLength = 140;
constexpr int streetLength = 70;
constexpr int postcodeLength = 16;
constexpr int townLength = 35;

const QString notProvided = u"NOTPROVIDED"_qs;

// The IBAN's country when it is a country outside the EEA, else empty.
QString countryOutsideEea(const QString &iban)
{
    const QString country = iban.left(2);
    const bool twoLetters = country.size() == 2
        && std::all_of(country.begin(), country.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
    return twoLetters && !isEeaCountry(country) ? country : QString();
}

void debtorAgent(SepaBlock &block, SepaFormat format, const QString &bic)
{
    block.line(28, "<DbtrAgt>");
    block.line(32, "<FinInstnId>");
    // The 2019 version has no BIC value for "none"; it names the missing BIC as other id.
    if (format == SepaFormat::Pain00800108 && bic == notProvided) {
        block.line(36, "<Othr>");
        block.element(40, "Id", bic);
        block.line(36, "</Othr>");
    } else {
        block.element(36, sepaBicTag(format), bic);
    }
    block.line(32, "</FinInstnId>");
    block.line(28, "</DbtrAgt>");
}

// Debtors outside the EEA need a postal address since the 2019 version; the schema
// forbids empty texts, so empty parts are left out.
void postalAddress(SepaBlock &block, const SepaTransaction &transaction, const QString &country)
{
    block.line(32, "<PstlAdr>");
    const std::pair<QByteArrayView, QString> parts[] = {
        {"StrtNm", sepaFreeText(transaction.street, streetLength)},
        {"PstCd", sepaFreeText(transaction.postcode, postcodeLength)},
        {"TwnNm", sepaFreeText(transaction.town, townLength)},
    };
    for (const auto &[tag, value] : parts) {
        if (!value.isEmpty())
            block.element(36, tag, value);
    }
    block.element(36, "Ctry", country);
    block.line(32, "</PstlAdr>");
}

} // namespace

QByteArray sepaTransactionBlock(SepaFormat format, const SepaTransaction &transaction)
{
    SepaBlock block;
    block.line(9, "<DrctDbtTxInf>");
    // The uneven indentation of PmtId is what the banks' import programs have always received.
    block.line(27, "<PmtId>");
    block.element(32, "EndToEndId", transaction.mandateId);
    block.line(28, "</PmtId>");
    block.line(28, "<InstdAmt Ccy=\"EUR\">", transaction.amount, "</InstdAmt>");
    block.line(28, "<DrctDbtTx>");
    block.line(32, "<MndtRltdInf>");
    block.element(36, "MndtId", transaction.mandateId);
    block.element(36, "DtOfSgntr", transaction.signatureDate);
    block.line(32, "</MndtRltdInf>");
    block.line(32, "<CdtrSchmeId>");
    block.line(36, "<Id>");
    block.line(40, "<PrvtId>");
    block.line(44, "<Othr>");
    block.element(48, "Id", transaction.creditorId);
    block.line(48, "<SchmeNm>");
    block.line(53, "<Prtry>SEPA</Prtry>");
    block.line(48, "</SchmeNm>");
    block.line(44, "</Othr>");
    block.line(40, "</PrvtId>");
    block.line(36, "</Id>");
    block.line(32, "</CdtrSchmeId>");
    block.line(28, "</DrctDbtTx>");
    debtorAgent(block, format, transaction.debtorBic);
    block.line(28, "<Dbtr>");
    block.element(32, "Nm", sepaFreeText(transaction.debtorName, kSepaNameLength));
    if (format == SepaFormat::Pain00800108) {
        if (const QString country = countryOutsideEea(transaction.debtorIban); !country.isEmpty())
            postalAddress(block, transaction, country);
    }
    block.line(28, "</Dbtr>");
    block.line(28, "<DbtrAcct>");
    block.line(32, "<Id>");
    block.element(36, "IBAN", transaction.debtorIban);
    block.line(32, "</Id>");
    block.line(28, "</DbtrAcct>");
    block.line(28, "<RmtInf>");
    block.element(32, "Ustrd", sepaFreeText(transaction.remittance, remittanceLength));
    block.line(28, "</RmtInf>");
    block.line(9, "</DrctDbtTxInf>");
    return block.bytes();
}

} // namespace qvl
