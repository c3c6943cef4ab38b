#pragma once
// Which fees a direct-debit run collected from each owner, slot by slot (the program's own
// table QVL32_SEPA_BEITRAGSARTEN, written in the run's transaction beside the stored fees).
// A run is a repeat when an owner it would debit already paid one of its fees for the same
// business year: a run of fees 1 and 2 after a run of fee 1 would debit fee 1 twice,
// however differently the two runs' fee texts read.

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace qvl {

class Database;
struct OwnTable;
struct Buchung;

// Creates the table and its index where the database lacks them. Throws DbError.
void ensureFeeSlotTables(Database &db);

namespace fee_slots {

// The record's table, for the program's list of its own tables.
QList<OwnTable> ownTables();

// Bit k stands for the form's fee slot k (0 to 4).
using SlotMask = unsigned;

// The slots among `ticked` (the run's ticked fee boxes) whose fee is not 0 for this owner.
SlotMask debitedSlots(SlotMask ticked, const Buchung &b);

// The business year as the record keeps and compares it: without blanks around.
QString yearKey(const QString &jahr);

struct Repeat {
    SlotMask mask = 0;  // the fees this run would collect a second time
    int owners = 0;      // from how many owners
    QString typ;         // the fee text of the latest earlier run concerned
    QDateTime created;   // when its fees were stored; invalid when not known
};

// `slotsByOwner`: the slots this run would debit, per owner. `slotTexts`: per slot the text
// its caption adds to a fee text; a stored fee without a record of its slots (stored before
// the record was kept) counts for every slot whose text its fee text holds. std::nullopt
// when no owner would pay a fee twice. Throws DbError.
std::optional<Repeat> findRepeat(Database &db, const QString &jahr, const QHash<long, SlotMask> &slotsByOwner,
                                 const QStringList &slotTexts);

// After stored fees were deleted: forgets the records whose stored fee is gone.
void forgetDeleted(Database &db);

} // namespace fee_slots
} // namespace qvl
