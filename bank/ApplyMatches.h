#pragma once
// Applies a matching to the register (after "Übernehmen" or --yes), in one transaction:
// each entry that assigns something is recorded as read, each payment and return is
// recorded for its document, and the stored fee of a direct debit follows: a return
// clears its datum_bezahlt (the fee is not paid), a later payment that settles the
// document sets it to the booking date. Nothing else in the suite's tables changes.

#include "bank/Matching.h"

namespace qvl {

class Database;

struct ApplyResult {
    int entries = 0;   // entries recorded
    int payments = 0;  // payments and returns recorded
    int feesCleared = 0, feesPaid = 0; // stored fees changed
};

// Throws DbError; nothing is changed then.
ApplyResult applyMatching(Database &db, const Matching &matching);

// BankEntry::key() of every entry applied before (empty without a register).
QSet<QString> keysRead(Database &db);

} // namespace qvl
