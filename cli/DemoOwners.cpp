#include "cli/DemoOwners.h"

#include "cli/DemoAssociation.h"
#include "cli/DemoBanks.h"

#include <cmath>
#include <iterator>

namespace qvl::demo {

namespace {

// The demo's billing year: join dates reach into it so that "joined this year" occurs.
constexpr int kRunYear = 2026;

constexpr int kOwnerNumberBase = 1000;
constexpr int kOwnerIdBase = 5001; // kept apart from the creditors' ids and the numbers

double roundTo4(double value)
{
    return std::round(value * 10000.0) / 10000.0;
}

const char *const kLastNames[] = {
    "Müller", "Schmid", "Huber", "Größ", "Weiß", "Jäger", "Bäumler", "Öttl", "Hölzl", "Süß",
    "Maier", "Gruber", "Strobl", "Wörle", "Bichler", "Kögl", "Fischer", "Schönauer",
    "Lechner", "Brückl", "Zöpfl", "Rieß", "Baumgärtner", "Hößl", "Eberl", "Stöckl",
    "Wallner", "Fürst", "Krämer", "Glöckl", "Niederhuber", "Übelacker", "Ostermaier",
};
const char *const kMaleNames[] = {
    "Jürgen", "Björn", "Sören", "Josef", "Georg", "Andreas", "Franz", "Michael", "Stefan",
    "Jörg", "Günther", "Thomas", "Sebastian", "Matthias", "Korbinian", "Xaver",
};
const char *const kFemaleNames[] = {
    "Bärbel", "Maria", "Anna", "Theresia", "Brigitte", "Käthe", "Elisabeth", "Sabine",
    "Monika", "Renate", "Gisela", "Hannelore", "Dörte", "Ursula", "Rosi",
};
const char *const kFirms[] = {
    "Sägewerk Öttl GmbH", "Forstbetrieb Jäger KG", "Gebr. Hölzl GbR",
    "Brennholz Süß & Partner", "Waldbau Bichler GmbH & Co. KG", "Zimmerei Größ e.K.",
};
struct ForeignName {
    const char *name;
    const char *firstName;
};
const ForeignName kApostropheNames[] = {{"O'Brien", "Patrick"}, {"D'Angelo", "Luca"}};

const char *const kStreets[] = {
    "Hauptstraße", "Dorfstraße", "Waldweg", "Am Mühlbach", "Kirchplatz", "Bergstr.",
    "Lindenallee", "Schloßbergstraße", "Zur Sägmühle", "Eichenweg", "Grüner Weg",
    "Almweg", "Föhrenstraße", "Im Winkel",
};
struct Place {
    const char *postCode;
    const char *town;
};
const Place kPlaces[] = {
    {"83671", "Benediktbeuern"}, {"82431", "Kochel a. See"}, {"83646", "Bad Tölz"},
    {"82362", "Weilheim i. OB"}, {"86971", "Peiting"},       {"83677", "Reichersbeuern"},
    {"82467", "Garmisch-Partenkirchen"}, {"83703", "Gmund a. Tegernsee"},
    {"86956", "Schongau"},       {"82380", "Peißenberg"},    {"82442", "Saulgrub"},
    {"83661", "Lenggries"},
};

// Owners living abroad; the BBAN is the bank code followed by random digits.
struct ForeignHome {
    const char *country; // of the IBAN
    const char *nation;  // as the suite writes it
    const char *postCode;
    const char *town;
    const char *bankCode;
    const char *bankName;
    const char *bic;
};
const ForeignHome kForeignHomes[] = {
    {"AT", "A", "6330", "Kufstein", "20506", "Sparkasse Kufstein", "SPKUAT22XXX"},
    {"CH", "CH", "8001", "Zürich", "00762", "UBS Switzerland AG", "UBSWCHZH80A"},
    {"FR", "F", "67000", "Strasbourg", "2004101005", "La Banque Postale", "PSSTFRPPSTR"},
};

} // namespace

OwnerFactory::OwnerFactory(int count, std::uint32_t seed)
    : dice_(seed),
      names_(dice_.marks(count, {share(count, 5), std::min(count, 2)})),
      ibans_(dice_.marks(count, {share(count, 2), share(count, 1)})),
      plotOnly_(dice_.marks(count, {share(count, 10)})),
      notBilled_(dice_.marks(count, {share(count, 3)})),
      disabled_(dice_.marks(count, {share(count, 2)})),
      invoice_(dice_.marks(count, {share(count, 20)})),
      twoAdministrations_(dice_.marks(count, {share(count, 2)})),
      accounts_(dice_.marks(count, {share(count, 3), share(count, 1)}))
{
}

Owner OwnerFactory::make(int index)
{
    Owner owner;
    Row &row = owner.person;
    const int number = kOwnerNumberBase + index;
    row[Id] = kOwnerIdBase + index;
    row[Number] = number;
    row[IsAssociation] = 0;
    row[IsClient] = 0;

    drawName(owner, names_[index]);
    drawAddressAndBank(owner, ibans_[index]);
    if (dice_.chance(0.05))
        row[Mandate] = QVariant(); // no mandate on file yet
    else
        row[Mandate] = QStringLiteral("MR-%1").arg(number);
    drawArea(owner, plotOnly_[index] != 0);
    row[JoinDate] = drawJoinDate();
    drawSlots(row);
    if (dice_.chance(0.10))
        row[Number10] = dice_.between(1, 20) * 0.5;

    switch (accounts_[index]) {
    case Empty: row[AccountNumber] = QStringLiteral(""); break;
    case Lettered: row[AccountNumber] = QStringLiteral("K-%1").arg(dice_.digits(4)); break;
    default: row[AccountNumber] = QString::number(100000 + index); break;
    }

    // Owners were typed in over decades: some numbers carry leading zeros, some don't.
    const int association = dice_.chance(0.6) ? kAssociationNumbers[0] : kAssociationNumbers[1];
    if (dice_.chance(0.5))
        row[AssociationNumber] = QStringLiteral("%1").arg(association, 4, 10, QLatin1Char('0'));
    else
        row[AssociationNumber] = QString::number(association);

    if (notBilled_[index])
        row[Billed] = (notBilledSeen_++ % 2 == 0) ? QVariant(0) : QVariant();
    else
        row[Billed] = 1;
    if (disabled_[index])
        row[Disabled] = 1;
    else
        row[Disabled] = dice_.chance(0.1) ? QVariant() : QVariant(0);

    owner.directDebit = invoice_[index] == 0;
    owner.administrationRows = twoAdministrations_[index] ? 2 : 1;
    return owner;
}

void OwnerFactory::drawName(Owner &owner, int mark)
{
    Row &row = owner.person;
    if (mark == Firm) {
        owner.business = true;
        row[Salutation] = QStringLiteral("Firma");
        // The first firm always carries an ampersand.
        row[Name] = firms_++ == 0 ? QStringLiteral("Holzhandel Weiß & Söhne")
                                  : QString::fromUtf8(dice_.pick(kFirms));
        return;
    }
    if (mark == Apostrophe) {
        const ForeignName &name = kApostropheNames[apostrophes_++ % std::size(kApostropheNames)];
        row[Salutation] = QStringLiteral("Herrn");
        row[Name] = QString::fromLatin1(name.name);
        row[FirstName] = QString::fromLatin1(name.firstName);
        return;
    }
    row[Name] = QString::fromUtf8(dice_.pick(kLastNames));
    const double kind = dice_.unit();
    if (kind < 0.5) {
        row[Salutation] = QStringLiteral("Herrn");
        row[FirstName] = QString::fromUtf8(dice_.pick(kMaleNames));
    } else if (kind < 0.87) {
        row[Salutation] = QStringLiteral("Frau");
        row[FirstName] = QString::fromUtf8(dice_.pick(kFemaleNames));
    } else {
        row[Salutation] = QStringLiteral("Eheleute");
        const QString husband = QString::fromUtf8(dice_.pick(kMaleNames));
        const QString wife = QString::fromUtf8(dice_.pick(kFemaleNames));
        row[FirstName] = husband + QStringLiteral(" und ") + wife;
    }
}

void OwnerFactory::drawAddressAndBank(Owner &owner, int mark)
{
    Row &row = owner.person;
    QString street = QString::fromUtf8(dice_.pick(kStreets)) + u' '
                     + QString::number(dice_.between(1, 120));
    if (dice_.chance(0.05))
        street += u'a';
    row[Street] = street;

    if (mark == Foreign) {
        const ForeignHome &home = kForeignHomes[foreign_++ % std::size(kForeignHomes)];
        const QString country = QString::fromLatin1(home.country);
        const QString bankCode = QString::fromLatin1(home.bankCode);
        const int accountLength = ibanLengthOfCountry(country) - 4 - int(bankCode.size());
        row[PostCode] = QString::fromLatin1(home.postCode);
        row[Town] = QString::fromUtf8(home.town);
        row[Nation] = QString::fromLatin1(home.nation);
        row[BankName] = QString::fromUtf8(home.bankName);
        row[Bic] = QString::fromLatin1(home.bic);
        row[Iban] = ibanOf(country, bankCode + dice_.digits(accountLength));
        return;
    }

    const Place &place = dice_.pick(kPlaces);
    row[PostCode] = QString::fromLatin1(place.postCode);
    row[Town] = QString::fromUtf8(place.town);
    row[Nation] = QStringLiteral("D");
    const Bank &bank = dice_.pick(kGermanBanks);
    row[BankName] = QString::fromUtf8(bank.name);
    const double bic = dice_.unit();
    if (bic < 0.03)
        row[Bic] = QStringLiteral("");
    else if (bic < 0.06)
        row[Bic] = QVariant();
    else
        row[Bic] = QString::fromLatin1(bank.bic);

    const QString iban
        = ibanOf(QStringLiteral("DE"), QString::fromLatin1(bank.code) + dice_.digits(10));
    if (mark != Broken) {
        row[Iban] = iban;
        return;
    }
    switch (broken_++ % 3) {
    case 0: { // a typing error in the check digits
        const int check = iban.mid(2, 2).toInt();
        const int wrong = check == 98 ? 97 : check + 1;
        row[Iban] = iban.left(2) + QStringLiteral("%1").arg(wrong, 2, 10, QLatin1Char('0'))
                    + iban.mid(4);
        break;
    }
    case 1: row[Iban] = iban.left(iban.size() - 1); break;
    default: row[Iban] = QStringLiteral(""); break;
    }
}

void OwnerFactory::drawArea(Owner &owner, bool plotOnly)
{
    if (!plotOnly) {
        // Mostly small holdings: cube of a uniform number.
        const double u = dice_.unit();
        owner.person[Area] = roundTo4(0.1 + 79.9 * u * u * u);
        return;
    }
    owner.person[Area] = (areaLess_++ % 2 == 0) ? QVariant() : QVariant(0.0);
    const int plots = dice_.between(1, 3);
    for (int i = 0; i < plots; ++i)
        owner.plots.push_back(roundTo4(0.05 + 14.95 * dice_.unit()));
}

void OwnerFactory::drawSlots(Row &row)
{
    for (int slot = 1; slot <= kSlots; ++slot) {
        double r = dice_.unit();
        if (r < 0.12)
            row[slotColumn(FixedFee, slot)] = dice_.between(20, 120) * 0.5;
        else if (r < 0.20)
            row[slotColumn(FixedFee, slot)] = 0.0;

        r = dice_.unit();
        if (r < 0.10)
            row[slotColumn(RatePerHa, slot)] = dice_.between(100, 500) / 100.0;
        else if (r < 0.15)
            row[slotColumn(RatePerHa, slot)] = 0.0;

        if (dice_.chance(0.05))
            row[slotColumn(FurtherAmount, slot)] = double(dice_.between(5, 30));

        r = dice_.unit();
        if (r < 0.15)
            row[slotColumn(StartedHaCountFull, slot)] = 1;
        else if (r < 0.30)
            row[slotColumn(StartedHaCountFull, slot)] = 0;

        if (dice_.chance(0.05))
            row[slotColumn(FlatAreaAmount, slot)] = dice_.between(40, 400) * 0.5;
    }
}

QVariant OwnerFactory::drawJoinDate()
{
    const double r = dice_.unit();
    if (r < 0.05)
        return {};
    const int year = r < 0.10 ? kRunYear : dice_.between(1970, kRunYear - 1);
    const int month = dice_.between(1, 12);
    const int day = dice_.between(1, 28);
    return QStringLiteral("%1-%2-%3")
        .arg(year)
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'));
}

} // namespace qvl::demo
