// The record of which fees each stored fee collected, and the repeated-run check it makes
// possible: a run is a repeat when it would debit an owner a fee of the same business year
// again, whatever other fees either run held and however the year was typed.
#include "stored/FeeSlotRecord.h"
#include "stored/StoredFees.h"

#include "support/Workspace.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;
using fee_slots::SlotMask;

namespace {

constexpr SlotMask kFee1 = 1U << 0;
constexpr SlotMask kFee2 = 1U << 1;
constexpr SlotMask kFee3 = 1U << 2;

// The captions' texts of the five slots, as a fee text joins them.
const QStringList kSlotTexts{u"Mitgliedsbeitrag"_qs, u"Waldbrand"_qs, u"Haftpflicht"_qs, u"Sturm"_qs, u"Sonstiges"_qs};

QString feeText(SlotMask mask)
{
    QString text;
    for (int k = 0; k < kSlotTexts.size(); ++k)
        if ((mask >> k) & 1U)
            text += kSlotTexts[k];
    return text;
}

// A direct-debit run as the SEPA writer stores it: per owner the fee and its slots, in
// the run's transaction.
void storeRun(Database &db, const QList<long> &owners, SlotMask mask, const QString &jahr, bool commit = true)
{
    Transaction tx(db);
    StoredFeesWriter writer(db, QDateTime(QDate(2026, 12, 5), QTime(14, 30)));
    for (const long id : owners) {
        StoredFee fee;
        fee.idPersonal = id;
        fee.jahr = jahr;
        fee.betrag = Money(1250);
        fee.rechDat = u"05.12.2026"_qs;
        fee.faellDat = u"21.12.2026"_qs;
        fee.typ = feeText(mask);
        writer.deleteOwnerFee(id, jahr, fee.typ);
        writer.insert(fee);
        writer.recordSlots(id, jahr, fee.typ, mask);
    }
    if (commit)
        tx.commit();
}

QHash<long, SlotMask> debiting(const QList<long> &owners, SlotMask mask)
{
    QHash<long, SlotMask> out;
    for (const long id : owners)
        out.insert(id, mask);
    return out;
}

} // namespace

TEST(FeeSlotRecord, ARunIsARepeatWhenAnyOwnerWouldPayAFeeOfTheYearAgain)
{
    Workspace ws(3);
    const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
    storeRun(*db, {1, 2}, kFee1, u"2026"_qs);
    storeRun(*db, {5}, kFee3, u"2025"_qs);

    const struct {
        const char *name;
        QList<long> owners;
        SlotMask mask;
        const char16_t *jahr;
        SlotMask repeated; // 0: no repeat
        int count;
    } cases[] = {
        {"the same fee again", {1, 2}, kFee1, u"2026", kFee1, 2},
        {"fees 1 and 2 after fee 1", {1, 2, 3}, kFee1 | kFee2, u"2026", kFee1, 2},
        {"the year typed with blanks", {1}, kFee1, u" 2026 ", kFee1, 1},
        {"another fee of the year", {1, 2}, kFee2, u"2026", 0, 0},
        {"the same fee of another year", {1, 2}, kFee1, u"2027", 0, 0},
        {"other owners", {3, 4}, kFee1, u"2026", 0, 0},
        {"last year's fee 3", {5}, kFee1 | kFee3, u"2025", kFee3, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<fee_slots::Repeat> repeat =
            fee_slots::findRepeat(*db, QString::fromUtf16(c.jahr), debiting(c.owners, c.mask), kSlotTexts);
        ASSERT_EQ(repeat.has_value(), c.repeated != 0);
        if (!repeat)
            continue;
        EXPECT_EQ(repeat->mask, c.repeated);
        EXPECT_EQ(repeat->owners, c.count);
        EXPECT_EQ(repeat->typ, feeText(c.repeated == kFee3 ? kFee3 : kFee1));
        EXPECT_EQ(repeat->created.date(), QDate(2026, 12, 5));
    }
}

TEST(FeeSlotRecord, WrittenWithTheFeesForgottenWithThemAndOlderFeesMatchedByTheirText)
{
    Workspace ws(3);
    const std::unique_ptr<Database> db = Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
    const auto repeatOf = [&](long owner, SlotMask mask) {
        const std::optional<fee_slots::Repeat> r = fee_slots::findRepeat(*db, u"2026"_qs, {{owner, mask}}, kSlotTexts);
        return r ? r->mask : SlotMask(0);
    };

    // A run that rolled back recorded nothing.
    storeRun(*db, {1}, kFee1 | kFee2, u"2026"_qs, false);
    EXPECT_EQ(repeatOf(1, kFee1), 0U);

    // A fee stored without a record of its slots (before the record was kept) counts for
    // every slot whose text its fee text holds.
    db->run(u"insert into PERSONAL_MG_BEITRAGE (id_personal, jahr, betrag, datum_erstellt, typ) values "
            "(4, '2026 ', 20, '2026-11-02 09:00:00', 'MitgliedsbeitragWaldbrand')"_qs);
    EXPECT_EQ(repeatOf(4, kFee2 | kFee3), kFee2);
    EXPECT_EQ(repeatOf(4, kFee3), 0U);

    // Deleting a stored run forgets its record: the fees may be collected again.
    storeRun(*db, {2}, kFee1, u"2026"_qs);
    EXPECT_EQ(repeatOf(2, kFee1), kFee1);
    deleteStoredRun(*db, u"2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"_qs);
    fee_slots::forgetDeleted(*db);
    EXPECT_EQ(repeatOf(2, kFee1), 0U);
    QSqlQuery left = db->run(u"select count(*) from QVL32_SEPA_BEITRAGSARTEN"_qs);
    ASSERT_TRUE(left.next());
    EXPECT_EQ(left.value(0).toInt(), 0);
}
