#include "cli/DemoDatabase.h"

#include "core/Iban.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace qvl {
namespace {

constexpr int kOwners = 250;
const QString kOwnerFilter = QStringLiteral("sonstiger = 0 AND mandanten = 0");

// A read connection of its own, removed again when the test is done with it.
class Reader {
public:
    explicit Reader(const QString &file)
        : name_(QStringLiteral("demo-test-%1").arg(++count_))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(file);
        db.open();
    }
    ~Reader()
    {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }

    QList<QVariantList> rows(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(name_, false));
        EXPECT_TRUE(query.exec(sql)) << qPrintable(sql);
        QList<QVariantList> result;
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i);
            result << row;
        }
        return result;
    }

    int count(const QString &sql) const
    {
        const auto all = rows(sql);
        return all.isEmpty() ? -1 : all.first().value(0).toInt();
    }

    // Number of forest owners for whom CONDITION holds.
    int owners(const QString &condition = QStringLiteral("1")) const
    {
        return count("SELECT COUNT(*) FROM personal WHERE " + kOwnerFilter + " AND " + condition);
    }

    // One column of all forest owners, NULLs left out.
    QStringList ownerTexts(const QString &column) const
    {
        QStringList result;
        for (const QVariantList &row : rows("SELECT " + column + " FROM personal WHERE "
                                            + kOwnerFilter + " AND " + column + " IS NOT NULL"))
            result << row.value(0).toString();
        return result;
    }

    // Every table's rows as text, for comparing two databases.
    QStringList dump() const
    {
        QStringList result;
        for (const QVariantList &table :
             rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
            const QString name = table.value(0).toString();
            for (const QVariantList &row : rows("SELECT * FROM " + name + " ORDER BY 1")) {
                QStringList cells;
                for (const QVariant &cell : row)
                    cells << (cell.isNull() ? QStringLiteral("<NULL>") : cell.toString());
                result << name + u'|' + cells.join(u'|');
            }
        }
        return result;
    }

private:
    static inline int count_ = 0;
    QString name_;
};

// One database for all read-only checks.
class DemoDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new QTemporaryDir;
        file_ = dir_->filePath(QStringLiteral("demo.sqlite"));
        QString error;
        created_ = createDemoDatabase(file_, DemoOptions{kOwners, 1}, &error);
        ASSERT_TRUE(created_) << qPrintable(error);
    }
    static void TearDownTestSuite()
    {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(created_);
        db_ = std::make_unique<Reader>(file_);
    }

    static inline QTemporaryDir *dir_ = nullptr;
    static inline QString file_;
    static inline bool created_ = false;
    std::unique_ptr<Reader> db_;
};

TEST_F(DemoDatabaseTest, SchemaResourceEqualsSchemaFile)
{
    QFile file(QStringLiteral(QVL_SOURCE_DIR "/cli/suite-schema.sqlite.sql"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(suiteSchemaSql(), QString::fromUtf8(file.readAll()));
}

// The project keeps its own copy of the suite's schema; it must not drift from the
// suite's published file where that is at hand.
TEST_F(DemoDatabaseTest, SchemaCopyEqualsTheSuitesSchema)
{
    QFile published(QStringLiteral(QVL_SOURCE_DIR "/../shared/suite-schema.sqlite.sql"));
    if (!published.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "the suite's schema file is not beside this checkout";
    EXPECT_EQ(suiteSchemaSql(), QString::fromUtf8(published.readAll()));
}

TEST_F(DemoDatabaseTest, ContentsDependOnlyOnTheSeed)
{
    QTemporaryDir dir;
    const QString again = dir.filePath(QStringLiteral("again.sqlite"));
    const QString other = dir.filePath(QStringLiteral("other.sqlite"));
    ASSERT_TRUE(createDemoDatabase(again, DemoOptions{kOwners, 1}, nullptr));
    ASSERT_TRUE(createDemoDatabase(other, DemoOptions{kOwners, 2}, nullptr));

    const QStringList original = db_->dump();
    EXPECT_GT(original.size(), kOwners * 3);
    EXPECT_EQ(Reader(again).dump(), original);
    EXPECT_NE(Reader(other).dump(), original);
}

TEST_F(DemoDatabaseTest, FeeNamesWithAnEmptyThirdSlot)
{
    const auto rows = db_->rows("SELECT id_string, Custom_German FROM strings "
                                "WHERE id_string BETWEEN 3019 AND 3023 ORDER BY 1");
    const QStringList expected = {"Mitgliedsbeitrag", "Waldbrandversicherung", "",
                                  "Sturmversicherung", "Haftpflichtversicherung"};
    ASSERT_EQ(rows.size(), expected.size());
    for (int i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0].toInt(), 3019 + i);
        EXPECT_FALSE(rows[i][1].isNull()) << "slot " << i + 1;
        EXPECT_EQ(rows[i][1].toString(), expected[i]);
    }
}

TEST_F(DemoDatabaseTest, TwoAssociationsAndOneClientWithValidBankData)
{
    const auto rows = db_->rows(
        "SELECT Nummer, sonstiger, mandanten, Name, IBAN, GlaubigerID, BLZ1, UID1, BIC, Ort "
        "FROM personal WHERE sonstiger = 1 OR mandanten = 1 ORDER BY Nummer");
    ASSERT_EQ(rows.size(), 3);
    const QRegularExpression taxNumber(QStringLiteral("^\\d{3}/\\d{3}/\\d{5}$"));
    const int numbers[] = {7, 50, 900};
    for (int i = 0; i < 3; ++i) {
        const QVariantList &row = rows[i];
        const bool client = i == 2;
        EXPECT_EQ(row[0].toInt(), numbers[i]);
        EXPECT_EQ(row[1].toInt(), client ? 0 : 1);
        EXPECT_EQ(row[2].toInt(), client ? 1 : 0);
        EXPECT_FALSE(row[3].toString().isEmpty());
        EXPECT_TRUE(isValidIban(row[4].toString())) << qPrintable(row[4].toString());
        EXPECT_TRUE(isValidCreditorId(row[5].toString())) << qPrintable(row[5].toString());
        EXPECT_TRUE(taxNumber.match(row[6].toString()).hasMatch());
        EXPECT_TRUE(row[7].toString().startsWith(QStringLiteral("DE")));
        EXPECT_TRUE(row[8].toString().size() == 8 || row[8].toString().size() == 11);
        EXPECT_FALSE(row[9].toString().isEmpty());
    }
    EXPECT_EQ(rows[0][5].toString(), QStringLiteral("DE98ZZZ09999999999"));
}

TEST_F(DemoDatabaseTest, OwnersAreNumberedAndLinked)
{
    EXPECT_EQ(db_->owners(), kOwners);
    EXPECT_EQ(db_->owners("Nummer BETWEEN 1000 AND " + QString::number(999 + kOwners)), kOwners);
    EXPECT_EQ(db_->count("SELECT COUNT(DISTINCT Nummer) FROM personal"), kOwners + 3);
    EXPECT_EQ(db_->count("SELECT COUNT(DISTINCT id_personal) FROM personal"), kOwners + 3);

    // Exactly one way of paying per owner; a few businesses.
    EXPECT_EQ(db_->owners("id_personal IN (SELECT id_personal FROM personal_free "
                          "WHERE BOXFREE1 + BoxFree2 = 1)"),
              kOwners);
    const int debit = db_->count("SELECT COUNT(*) FROM personal_free WHERE BOXFREE1 = 1");
    EXPECT_GT(debit, kOwners * 7 / 10);
    EXPECT_LT(debit, kOwners);
    EXPECT_GT(db_->count("SELECT COUNT(*) FROM personal_free WHERE BOXFREE3 = 1"), 0);

    // Every owner administered at least once, a few twice (duplicates in joins).
    EXPECT_EQ(db_->owners("id_personal IN (SELECT id_personal FROM waldb_verwaltung)"), kOwners);
    const int twice = db_->owners("id_personal IN (SELECT id_personal FROM waldb_verwaltung "
                                  "GROUP BY id_personal HAVING COUNT(*) = 2)");
    EXPECT_GT(twice, 0);
    EXPECT_LT(twice, kOwners / 10);

    // Flags that keep owners out of billing occur, but rarely.
    for (const char *rare : {"DISABLE = 1", "Abrech1 = 0", "Abrech1 IS NULL"}) {
        EXPECT_GT(db_->owners(rare), 0) << rare;
        EXPECT_LT(db_->owners(rare), kOwners / 10) << rare;
    }
}

TEST_F(DemoDatabaseTest, IbansAreValidExceptAFewBrokenOnes)
{
    const QStringList ibans = db_->ownerTexts("IBAN");
    ASSERT_EQ(ibans.size(), kOwners);
    int broken = 0;
    bool empty = false;
    QSet<QString> countries;
    for (const QString &iban : ibans) {
        if (isValidIban(iban)) {
            countries << iban.left(2);
        } else {
            ++broken;
            empty = empty || iban.isEmpty();
        }
    }
    EXPECT_GT(broken, 0);
    EXPECT_LE(broken, kOwners / 20);
    EXPECT_TRUE(empty);
    EXPECT_TRUE(countries.contains(QStringLiteral("DE")));
    EXPECT_GE(countries.size(), 3) << "foreign IBANs missing";

    for (const QString &bic : db_->ownerTexts("BIC"))
        EXPECT_TRUE(bic.isEmpty() || bic.size() == 8 || bic.size() == 11) << qPrintable(bic);
    const int mandates = db_->owners("MANDATSNUMMER LIKE 'MR-%'");
    EXPECT_GT(mandates, kOwners * 8 / 10);
    EXPECT_LT(mandates, kOwners);
}

TEST_F(DemoDatabaseTest, AreaComesFromPlotsWhereHektarIsMissing)
{
    const QString withoutHektar = QStringLiteral("(Hektar IS NULL OR Hektar = 0)");
    const int areaLess = db_->owners(withoutHektar);
    EXPECT_GT(areaLess, 0);
    EXPECT_LT(areaLess, kOwners / 5);
    EXPECT_GT(db_->owners("Hektar IS NULL"), 0);
    EXPECT_GT(db_->owners("Hektar = 0"), 0);

    const auto plots = db_->rows("SELECT p.id_personal, COUNT(*), SUM(w.flaeche) FROM personal p "
                                 "JOIN wb_waldort_zuord z ON z.id_personal = p.id_personal "
                                 "JOIN waldort w ON w.id_waldort = z.id_waldort WHERE "
                                 + kOwnerFilter + " AND " + withoutHektar
                                 + " GROUP BY p.id_personal");
    EXPECT_EQ(plots.size(), areaLess) << "an owner without Hektar has no plot";
    for (const QVariantList &row : plots) {
        EXPECT_GE(row[1].toInt(), 1);
        EXPECT_LE(row[1].toInt(), 3);
        EXPECT_GT(row[2].toDouble(), 0.0);
    }

    for (const QString &text : db_->ownerTexts("Hektar")) {
        const double hektar = text.toDouble();
        if (hektar == 0.0)
            continue;
        EXPECT_GE(hektar, 0.1);
        EXPECT_LE(hektar, 80.0);
        EXPECT_NEAR(hektar * 10000.0, std::round(hektar * 10000.0), 1e-6) << "over 4 decimals";
    }
}

TEST_F(DemoDatabaseTest, TextsHoldWhatRealDataHolds)
{
    const QString names = db_->ownerTexts("Name").join(u'\n');
    for (const char *part : {"ä", "ö", "ü", "ß", "'", "&"})
        EXPECT_TRUE(names.contains(QString::fromUtf8(part))) << part;
    EXPECT_TRUE(db_->ownerTexts("Vorname").join(u'\n').contains(QStringLiteral("ö")));
    EXPECT_TRUE(db_->ownerTexts("Strasse").join(u'\n').contains(QStringLiteral("straße")));

    const QStringList anrede = db_->ownerTexts("Anrede");
    EXPECT_EQ(QSet<QString>(anrede.begin(), anrede.end()),
              (QSet<QString>{"Herrn", "Frau", "Firma", "Eheleute"}));

    // The association number, written with and without leading zeros.
    const QStringList associations = db_->ownerTexts("Zusatz5");
    EXPECT_EQ(associations.size(), kOwners);
    for (const char *form : {"0007", "7", "0050", "50"})
        EXPECT_TRUE(associations.contains(QString::fromLatin1(form))) << form;
    for (const QString &number : associations)
        EXPECT_TRUE(number.toInt() == 7 || number.toInt() == 50) << qPrintable(number);

    const QStringList accounts = db_->ownerTexts("Zusatz1");
    EXPECT_TRUE(accounts.contains(QString()));
    EXPECT_TRUE(std::any_of(accounts.begin(), accounts.end(), [](const QString &a) {
        return !a.isEmpty() && !a.front().isDigit();
    }));
    EXPECT_GT(std::count_if(accounts.begin(), accounts.end(),
                            [](const QString &a) { return a.startsWith(QStringLiteral("10")); }),
              kOwners * 9 / 10);

    const QRegularExpression isoDate(QStringLiteral("^(\\d{4})-\\d{2}-\\d{2}$"));
    const QStringList dates = db_->ownerTexts("Beitrittsdatum");
    EXPECT_LT(dates.size(), kOwners) << "no owner without join date";
    int thisYear = 0;
    for (const QString &date : dates) {
        const auto match = isoDate.match(date);
        ASSERT_TRUE(match.hasMatch()) << qPrintable(date);
        const int year = match.captured(1).toInt();
        EXPECT_GE(year, 1970);
        EXPECT_LE(year, 2026);
        thisYear += year == 2026;
    }
    EXPECT_GT(thisYear, 0);
}

TEST_F(DemoDatabaseTest, SlotParametersAreMostlyUnset)
{
    for (const char *field : {"Fixbeitrag", "Ha", "Angefangene"}) {
        for (int slot = 1; slot <= 5; ++slot) {
            const QString column = QString::fromLatin1(field) + QString::number(slot);
            EXPECT_GT(db_->owners(column + " > 0"), 0) << qPrintable(column);
            EXPECT_LT(db_->owners(column + " > 0"), kOwners / 2) << qPrintable(column);
        }
    }
    EXPECT_EQ(db_->owners("Fixbeitrag1 NOT BETWEEN 0 AND 60"), 0);
    EXPECT_EQ(db_->owners("Angefangene1 NOT IN (0, 1)"), 0);
}

TEST(DemoDatabase, OwnerCountIsHonoured)
{
    QTemporaryDir dir;
    for (int owners : {0, 1, 7}) {
        const QString file = dir.filePath(QStringLiteral("demo-%1.sqlite").arg(owners));
        QString error;
        ASSERT_TRUE(createDemoDatabase(file, DemoOptions{owners, 5}, &error)) << qPrintable(error);
        const Reader db(file);
        EXPECT_EQ(db.owners(), owners);
        EXPECT_EQ(db.count("SELECT COUNT(*) FROM personal_free"), owners);
        EXPECT_EQ(db.count("SELECT COUNT(*) FROM personal WHERE sonstiger = 1"), 2);
    }
}

TEST(DemoDatabase, UnwritablePathFailsWithAGermanMessage)
{
    QTemporaryDir dir;
    const QString plainFile = dir.filePath(QStringLiteral("plain.txt"));
    {
        QFile file(plainFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QDir(dir.path()).mkdir(QStringLiteral("taken.sqlite"));
    const QString paths[] = {
        dir.filePath(QStringLiteral("missing/demo.sqlite")), // folder does not exist
        plainFile + QStringLiteral("/demo.sqlite"),          // "folder" is a file
        dir.filePath(QStringLiteral("taken.sqlite")),        // a folder is in the way
    };
    for (const QString &path : paths) {
        QString error;
        EXPECT_FALSE(createDemoDatabase(path, DemoOptions{5, 1}, &error)) << qPrintable(path);
        EXPECT_TRUE(error.contains(QStringLiteral("nicht"))) << qPrintable(error);
        EXPECT_TRUE(error.contains(QFileInfo(path).fileName())) << qPrintable(error);
    }
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("taken.sqlite"))).isDir());
}

} // namespace
} // namespace qvl
