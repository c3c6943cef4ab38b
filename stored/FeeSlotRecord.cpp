#include "stored/FeeSlotRecord.h"

#include "text/Conversions.h"
#include "db/Database.h"
#include "core/Buchung.h"
#include "core/OwnTable.h"
#include "stored/FeeSlotRecordSql.h"

namespace qvl {

void ensureFeeSlotTables(Database &db)
{
    QSqlQuery exists = db.run(db.sql(fee_slot_sql::kTableExists));
    if (exists.next() && exists.value(0).toInt() > 0)
        return;
    db.run(db.sql(fee_slot_sql::kCreateTable));
    db.run(db.sql(fee_slot_sql::kCreateIndex));
}

namespace fee_slots {

QList<OwnTable> ownTables()
{
    return {{u"QVL32_SEPA_BEITRAGSARTEN"_qs, fee_slot_sql::kCreateTable, &fee_slot_sql::kCreateIndex}};
}

namespace {

QDateTime createdAt(const QVariant &value)
{
    QDateTime at = value.toDateTime();
    if (!at.isValid())
        at = QDateTime::fromString(value.toString(), u"yyyy-MM-dd HH:mm:ss"_qs);
    return at;
}

class RepeatFinder {
public:
    explicit RepeatFinder(const QHash<long, SlotMask> &slotsByOwner) : m_slotsByOwner(slotsByOwner) {}

    // An earlier fee of an owner that covered `mask`.
    void add(long owner, SlotMask mask, const QString &typ, const QDateTime &created)
    {
        const auto wanted = m_slotsByOwner.constFind(owner);
        if (wanted == m_slotsByOwner.cend())
            return;
        const SlotMask overlap = *wanted & mask;
        if (overlap == 0)
            return;
        m_found.mask |= overlap;
        m_owners.insert(owner);
        if (m_found.typ.isNull() || (created.isValid() && (!m_found.created.isValid() || created > m_found.created))) {
            m_found.typ = typ;
            m_found.created = created;
        }
    }

    std::optional<Repeat> result() const
    {
        if (m_owners.isEmpty())
            return std::nullopt;
        Repeat r = m_found;
        r.owners = int(m_owners.size());
        return r;
    }

private:
    const QHash<long, SlotMask> &m_slotsByOwner;
    Repeat m_found;
    QSet<long> m_owners;
};

} // namespace

SlotMask debitedSlots(SlotMask ticked, const Buchung &b)
{
    SlotMask mask = 0;
    for (int k = 0; k < kFeeSlots; ++k)
        if ((ticked & (SlotMask(1) << k)) != 0 && !isZero(b.Betrag[std::size_t(k)]))
            mask |= SlotMask(1) << k;
    return mask;
}

QString yearKey(const QString &jahr)
{
    return jahr.trimmed();
}

std::optional<Repeat> findRepeat(Database &db, const QString &jahr, const QHash<long, SlotMask> &slotsByOwner,
                                 const QStringList &slotTexts)
{
    ensureFeeSlotTables(db);
    RepeatFinder finder(slotsByOwner);
    const QString year = yearKey(jahr);
    {
        QSqlQuery rows = db.run(db.sql(fee_slot_sql::kRecordedSlots), {year});
        while (rows.next()) {
            const int slot = rows.value(1).toInt() - 1;
            if (slot < 0 || slot >= 32)
                continue;
            finder.add(long(rows.value(0).toLongLong()), SlotMask(1) << slot, rows.value(2).toString(),
                       createdAt(rows.value(3)));
        }
    }
    QSqlQuery rows = db.run(db.sql(fee_slot_sql::kUnrecordedFees), {year});
    while (rows.next()) {
        const QString typ = rows.value(1).toString();
        SlotMask mask = 0;
        for (qsizetype k = 0; k < slotTexts.size(); ++k)
            if (!slotTexts[k].isEmpty() && typ.contains(slotTexts[k], Qt::CaseInsensitive))
                mask |= SlotMask(1) << k;
        finder.add(long(rows.value(0).toLongLong()), mask, typ, createdAt(rows.value(2)));
    }
    return finder.result();
}

void forgetDeleted(Database &db)
{
    ensureFeeSlotTables(db);
    db.run(db.sql(fee_slot_sql::kDeleteOrphans));
}

} // namespace fee_slots
} // namespace qvl
