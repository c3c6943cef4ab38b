#include "cli/DemoAssociation.h"

#include "cli/DemoBanks.h"

namespace qvl::demo {

namespace {

struct Creditor {
    int id;
    int number;
    bool client;
    const char *name;
    const char *street;
    const char *postCode;
    const char *town;
    const char *phone;
    const char *fax;
    const char *mail;
    const Bank &bank;
    const char *account;
    const char *creditorId; // computed from the national id when empty
    const char *nationalId;
    const char *taxNumber;
    const char *vatId;
};

const Creditor kCreditors[] = {
    {1, kAssociationNumbers[0], false, "Forstbetriebsgemeinschaft Hochwald e.V.", "Waldstraße 3", "83671",
     "Benediktbeuern", "08857 6912-0", "08857 6912-20", "info@fbg-hochwald.de",
     kGermanBanks[0], "0001234567", "DE98ZZZ09999999999", "", "139/123/45678", "DE129384756"},
    {2, kAssociationNumbers[1], false, "Waldbesitzervereinigung Oberland w.V.", "Am Holzplatz 1", "82362",
     "Weilheim i. OB", "0881 92716-0", "0881 92716-9", "kontakt@wbv-oberland.de",
     kGermanBanks[4], "0007654321", "", "00000483921", "123/456/78901", "DE274619385"},
    {3, 900, true, "Forstdienstleistungen Grünwald GmbH", "Gewerbering 14", "82031",
     "Grünwald", "089 6419 55-0", "089 6419 55-99", "buero@forst-gruenwald.de",
     kGermanBanks[2], "0300450012", "", "00000917364", "143/987/65432", "DE318276450"},
};

const char *const kFeeNames[] = {
    "Mitgliedsbeitrag", "Waldbrandversicherung", "", "Sturmversicherung",
    "Haftpflichtversicherung",
};
constexpr int kFirstFeeString = 3019;

// The German creditor identifier: DE, check digits, business code ZZZ, national id.
QString germanCreditorId(const QString &nationalId)
{
    return QStringLiteral("DE") + ibanCheckDigits(QStringLiteral("DE"), nationalId)
           + QStringLiteral("ZZZ") + nationalId;
}

} // namespace

std::vector<Row> creditorRows()
{
    std::vector<Row> rows;
    for (const Creditor &c : kCreditors) {
        Row row;
        row[Id] = c.id;
        row[Number] = c.number;
        row[Name] = QString::fromUtf8(c.name);
        row[Street] = QString::fromUtf8(c.street);
        row[PostCode] = QString::fromLatin1(c.postCode);
        row[Town] = QString::fromUtf8(c.town);
        row[Nation] = QStringLiteral("D");
        row[Phone] = QString::fromLatin1(c.phone);
        row[Fax] = QString::fromLatin1(c.fax);
        row[Mail] = QString::fromLatin1(c.mail);
        row[BankName] = QString::fromUtf8(c.bank.name);
        row[Bic] = QString::fromLatin1(c.bank.bic);
        row[Iban] = ibanOf(QStringLiteral("DE"),
                           QString::fromLatin1(c.bank.code) + QString::fromLatin1(c.account));
        row[CreditorId] = *c.creditorId ? QString::fromLatin1(c.creditorId)
                                        : germanCreditorId(QString::fromLatin1(c.nationalId));
        row[TaxNumber] = QString::fromLatin1(c.taxNumber);
        row[VatId] = QString::fromLatin1(c.vatId);
        row[IsAssociation] = c.client ? 0 : 1;
        row[IsClient] = c.client ? 1 : 0;
        row[Billed] = 0;
        row[Disabled] = 0;
        rows.push_back(row);
    }
    return rows;
}

std::vector<FeeName> feeNames()
{
    std::vector<FeeName> names;
    int id = kFirstFeeString;
    for (const char *name : kFeeNames) {
        // The unused slot is an empty text, not NULL, as the suite stores it. (A null
        // QString would be bound as NULL.)
        names.push_back({id++, *name ? QString::fromUtf8(name) : QStringLiteral("")});
    }
    return names;
}

} // namespace qvl::demo
