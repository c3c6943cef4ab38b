#include "cli/DemoDatabase.h"

#include "core/Iban.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <initializer_list>
#include <numeric>
#include <random>
#include <span>
#include <vector>

// Resources of a static library reach the program only when something refers to them.
static void initDemoResources()
{
    Q_INIT_RESOURCE(demo);
}

namespace qvl {

namespace {

// The demo's billing year: join dates reach into it so that "joined this year" occurs.
constexpr int kRunYear = 2026;

// ---- Chance ----------------------------------------------------------------------------

// Draws from std::mt19937 with plain arithmetic instead of the standard distributions,
// whose algorithms differ between standard libraries: a seed must give the same
// database with every compiler.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : engine_(seed) {}

    int between(int low, int high)
    {
        return low + int(engine_() % std::uint32_t(high - low + 1));
    }
    double unit() { return engine_() / 4294967296.0; }
    bool chance(double probability) { return unit() < probability; }

    template <typename T, std::size_t N>
    const T &pick(const T (&items)[N])
    {
        return items[between(0, int(N) - 1)];
    }

    QString digits(int count)
    {
        QString text;
        text.reserve(count);
        for (int i = 0; i < count; ++i)
            text += QChar(u'0' + between(0, 9));
        return text;
    }

    // Marks exactly counts[k] of N owners with k + 1 (the rest with 0), the owners drawn
    // at random. Marks of one call exclude each other.
    std::vector<int> marks(int n, std::initializer_list<int> counts)
    {
        std::vector<int> order(n);
        std::iota(order.begin(), order.end(), 0);
        std::vector<int> result(n, 0);
        int next = 0;
        int mark = 0;
        for (int count : counts) {
            ++mark;
            // The first steps of a Fisher-Yates shuffle.
            for (int i = 0; i < count && next < n; ++i, ++next) {
                std::swap(order[next], order[between(next, n - 1)]);
                result[order[next]] = mark;
            }
        }
        return result;
    }

private:
    std::mt19937 engine_;
};

// PERCENT of N owners, but at least one so that every case shows up in small databases.
int share(int n, int percent)
{
    return n > 0 ? std::max(1, n * percent / 100) : 0;
}

double roundTo4(double value)
{
    return std::round(value * 10000.0) / 10000.0;
}

// ---- Master data -----------------------------------------------------------------------

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

struct Bank {
    const char *code;
    const char *name;
    const char *bic;
};
const Bank kGermanBanks[] = {
    {"70150000", "Stadtsparkasse München", "SSKMDEMMXXX"},
    {"70020270", "UniCredit Bank - HypoVereinsbank", "HYVEDEMMXXX"},
    {"70070010", "Deutsche Bank München", "DEUTDEMMXXX"},
    {"37040044", "Commerzbank Köln", "COBADEFFXXX"},
    {"70190000", "Münchner Bank", "GENODEF1M01"},
    {"70050000", "Bayerische Landesbank", "BYLADEMM"},
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

QString ibanOf(const QString &country, const QString &bban)
{
    return country + ibanCheckDigits(country, bban) + bban;
}

// The German creditor identifier: DE, check digits, business code ZZZ, national id.
QString germanCreditorId(const QString &nationalId)
{
    return QStringLiteral("DE") + ibanCheckDigits(QStringLiteral("DE"), nationalId)
           + QStringLiteral("ZZZ") + nationalId;
}

// ---- Rows of `personal` ----------------------------------------------------------------

enum Column {
    Id, Number, Name, FirstName, Salutation, Street, PostCode, Town, Nation, Phone, Fax, Mail,
    BankName, Iban, Bic, Mandate, CreditorId, VatId, TaxNumber, Area, JoinDate, Number10,
    AccountNumber, AssociationNumber, Billed, Disabled, IsAssociation, IsClient, FixedColumns
};
const char *const kFixedColumnNames[] = {
    "id_personal", "Nummer", "Name", "Vorname", "Anrede", "Strasse", "PLZ", "Ort", "Nation",
    "Telefon", "Telefax", "Email", "BANK", "IBAN", "BIC", "MANDATSNUMMER", "GlaubigerID",
    "UID1", "BLZ1", "Hektar", "Beitrittsdatum", "number10", "Zusatz1", "Zusatz5", "Abrech1",
    "DISABLE", "sonstiger", "mandanten",
};
static_assert(std::size(kFixedColumnNames) == FixedColumns);

// Per-owner parameters of the five fee slots (Fixbeitrag1 ... Flachenbertrag5).
enum SlotField {
    FixedFee, RatePerHa, FurtherAmount, StartedHaCountFull, FlatAreaAmount, SlotFields
};
const char *const kSlotFieldNames[] = {
    "Fixbeitrag", "Ha", "Weitere", "Angefangene", "Flachenbertrag",
};
static_assert(std::size(kSlotFieldNames) == SlotFields);
constexpr int kSlots = 5;
constexpr int kColumnCount = FixedColumns + SlotFields * kSlots;

constexpr int slotColumn(SlotField field, int slot)
{
    return FixedColumns + field * kSlots + slot - 1;
}

using Row = std::array<QVariant, kColumnCount>;

QStringList personColumns()
{
    QStringList names;
    for (const char *name : kFixedColumnNames)
        names << QString::fromLatin1(name);
    for (const char *field : kSlotFieldNames)
        for (int slot = 1; slot <= kSlots; ++slot)
            names << QString::fromLatin1(field) + QString::number(slot);
    return names;
}

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

constexpr int kOwnerNumberBase = 1000;
constexpr int kOwnerIdBase = 5001; // kept apart from the creditors' ids and the numbers
const int kAssociationNumbers[] = {7, 50};

const Creditor kCreditors[] = {
    {1, 7, false, "Forstbetriebsgemeinschaft Hochwald e.V.", "Waldstraße 3", "83671",
     "Benediktbeuern", "08857 6912-0", "08857 6912-20", "info@fbg-hochwald.de",
     kGermanBanks[0], "0001234567", "DE98ZZZ09999999999", "", "139/123/45678", "DE129384756"},
    {2, 50, false, "Waldbesitzervereinigung Oberland w.V.", "Am Holzplatz 1", "82362",
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

// ---- Owners ----------------------------------------------------------------------------

struct Owner {
    Row person;
    bool directDebit = true;
    bool business = false;
    int administrationRows = 1; // rows in waldb_verwaltung
    std::vector<double> plots;  // areas of forest plots in ha
};

// Draws the owners one by one. Case flags are drawn up front with exact counts, so every
// case is present even in a small database; the rest is drawn per owner.
// Never draw twice inside one expression: the order of evaluation is unspecified.
class OwnerFactory {
public:
    OwnerFactory(int count, std::uint32_t seed)
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

    Owner make(int index);

private:
    enum NameMark { Person, Firm, Apostrophe };
    enum IbanMark { Domestic, Broken, Foreign };
    enum AccountMark { Numbered, Empty, Lettered };

    void drawName(Owner &owner, int mark);
    void drawAddressAndBank(Owner &owner, int mark);
    void drawArea(Owner &owner, bool plotOnly);
    void drawSlots(Row &row);
    QVariant drawJoinDate();

    Dice dice_;
    std::vector<int> names_, ibans_, plotOnly_, notBilled_, disabled_, invoice_,
        twoAdministrations_, accounts_;
    int firms_ = 0, apostrophes_ = 0, broken_ = 0, foreign_ = 0, notBilledSeen_ = 0,
        areaLess_ = 0;
};

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

// ---- Writing ---------------------------------------------------------------------------

// A prepared INSERT with named placeholders. Qt formats a placeholder name for every
// positional bind; binding by ready-made names saves a good part of the time that a
// large demo database takes.
class Insert {
public:
    Insert(const QSqlDatabase &db, const QString &table, const QStringList &columns)
        : query_(db), table_(table), columns_(columns)
    {
        for (const QString &column : columns)
            placeholders_ << u':' + column;
    }

    bool prepare()
    {
        query_.setForwardOnly(true);
        return query_.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(table_, columns_.join(QStringLiteral(", ")),
                                       placeholders_.join(QStringLiteral(", "))));
    }

    bool exec(std::span<const QVariant> values)
    {
        Q_ASSERT(values.size() == std::size_t(placeholders_.size()));
        for (qsizetype i = 0; i < placeholders_.size(); ++i)
            query_.bindValue(placeholders_[i], values[std::size_t(i)]);
        return query_.exec();
    }
    bool exec(std::initializer_list<QVariant> values)
    {
        return exec(std::span(values.begin(), values.size()));
    }

    QString error() const { return query_.lastError().text(); }

private:
    QSqlQuery query_;
    QString table_;
    QStringList columns_;
    QStringList placeholders_;
};

class DemoWriter {
public:
    explicit DemoWriter(const QSqlDatabase &db)
        : fee_(db, QStringLiteral("strings"), {"id_string", "Custom_German"}),
          person_(db, QStringLiteral("personal"), personColumns()),
          free_(db, QStringLiteral("personal_free"),
                {"id_personal", "BOXFREE1", "BoxFree2", "BOXFREE3"}),
          administration_(db, QStringLiteral("waldb_verwaltung"), {"id_verwaltung", "id_personal"}),
          plot_(db, QStringLiteral("waldort"), {"id_waldort", "flaeche"}),
          plotLink_(db, QStringLiteral("wb_waldort_zuord"),
                    {"id_zuord", "id_personal", "id_waldort"})
    {
    }

    bool prepare();
    bool writeFeeNames();
    bool writeCreditors();
    bool writeOwners(const DemoOptions &options);
    QString error() const { return error_; }

private:
    bool run(Insert &insert, std::initializer_list<QVariant> values);
    bool writePerson(const Row &row);
    bool writeOwner(const Owner &owner);

    Insert fee_, person_, free_, administration_, plot_, plotLink_;
    QString error_;
    int nextAdministration_ = 1;
    int nextPlot_ = 1;
};

bool DemoWriter::prepare()
{
    for (Insert *insert : {&fee_, &person_, &free_, &administration_, &plot_, &plotLink_}) {
        if (!insert->prepare()) {
            error_ = insert->error();
            return false;
        }
    }
    return true;
}

bool DemoWriter::run(Insert &insert, std::initializer_list<QVariant> values)
{
    if (insert.exec(values))
        return true;
    error_ = insert.error();
    return false;
}

bool DemoWriter::writeFeeNames()
{
    int id = kFirstFeeString;
    for (const char *name : kFeeNames) {
        // The unused slot is an empty text, not NULL, as the suite stores it. (A null
        // QString would be bound as NULL.)
        const QString text = *name ? QString::fromUtf8(name) : QStringLiteral("");
        if (!run(fee_, {id++, text}))
            return false;
    }
    return true;
}

bool DemoWriter::writeCreditors()
{
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
        if (!writePerson(row))
            return false;
    }
    return true;
}

bool DemoWriter::writePerson(const Row &row)
{
    if (person_.exec(row))
        return true;
    error_ = person_.error();
    return false;
}

bool DemoWriter::writeOwner(const Owner &owner)
{
    const QVariant id = owner.person[Id];
    if (!writePerson(owner.person)
        || !run(free_, {id, owner.directDebit ? 1 : 0, owner.directDebit ? 0 : 1,
                        owner.business ? 1 : 0}))
        return false;
    for (int i = 0; i < owner.administrationRows; ++i) {
        if (!run(administration_, {nextAdministration_++, id}))
            return false;
    }
    for (double area : owner.plots) {
        const int plot = nextPlot_++;
        if (!run(plot_, {plot, area}) || !run(plotLink_, {plot, id, plot}))
            return false;
    }
    return true;
}

bool DemoWriter::writeOwners(const DemoOptions &options)
{
    OwnerFactory factory(options.owners, options.seed);
    for (int i = 0; i < options.owners; ++i) {
        if (!writeOwner(factory.make(i)))
            return false;
    }
    return true;
}

// ---- Schema ----------------------------------------------------------------------------

// The schema's statements. Comments go first: they may contain semicolons.
QStringList schemaStatements(const QString &schema)
{
    QStringList lines = schema.split(u'\n');
    for (QString &line : lines) {
        const qsizetype comment = line.indexOf(QLatin1String("--"));
        if (comment >= 0)
            line.truncate(comment);
    }
    QStringList statements;
    for (const QString &part : lines.join(u'\n').split(u';')) {
        const QString statement = part.trimmed();
        if (!statement.isEmpty())
            statements << statement;
    }
    return statements;
}

// Fills an open, empty database; returns the driver's message on failure.
QString fill(QSqlDatabase &db, const DemoOptions &options)
{
    QSqlQuery query(db);
    // A half-written demo file is deleted anyway; no journal, no syncing.
    for (const char *pragma : {"PRAGMA journal_mode=OFF", "PRAGMA synchronous=OFF"}) {
        if (!query.exec(QString::fromLatin1(pragma)))
            return query.lastError().text();
    }
    const QStringList statements = schemaStatements(suiteSchemaSql());
    if (statements.isEmpty())
        return QStringLiteral("Das Schema ist nicht im Programm enthalten.");
    for (const QString &statement : statements) {
        if (!query.exec(statement))
            return query.lastError().text();
    }
    query.finish();

    if (!db.transaction())
        return db.lastError().text();
    DemoWriter writer(db);
    if (!writer.prepare() || !writer.writeFeeNames() || !writer.writeCreditors()
        || !writer.writeOwners(options)) {
        db.rollback();
        return writer.error();
    }
    if (!db.commit())
        return db.lastError().text();
    return {};
}

} // namespace

QString suiteSchemaSql()
{
    static const bool registered = (initDemoResources(), true);
    Q_UNUSED(registered);
    QFile file(QStringLiteral(":/qvl32/suite-schema.sqlite.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool createDemoDatabase(const QString &file, const DemoOptions &options, QString *error)
{
    const auto fail = [&](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    const QFileInfo info(file);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (options.owners < 0)
        return fail(QStringLiteral("Die Zahl der Waldbesitzer darf nicht negativ sein."));
    if (!info.absoluteDir().exists())
        return fail(QStringLiteral("Die Demo-Datenbank „%1“ kann nicht angelegt werden: "
                                   "Der Ordner existiert nicht.").arg(shown));
    // A suite database with its owners and stored fees must never be replaced by a demo.
    if (info.exists() || info.isSymLink())
        return fail(QStringLiteral("Die Datei „%1“ gibt es schon. Die Demo-Datenbank wird nur als neue "
                                   "Datei angelegt; eine vorhandene Datei wird nicht ersetzt.")
                        .arg(shown));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return fail(QStringLiteral("Der SQLite-Treiber von Qt ist nicht installiert."));

    static std::atomic<int> connections{0};
    const QString connection = QStringLiteral("qvl32-demo-%1").arg(++connections);
    QString problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(file);
        if (!db.open()) {
            problem = db.lastError().text();
        } else {
            problem = fill(db, options);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (problem.isEmpty())
        return true;
    QFile::remove(file);
    return fail(QStringLiteral("Die Demo-Datenbank „%1“ kann nicht angelegt werden: %2")
                    .arg(shown, problem));
}

} // namespace qvl
