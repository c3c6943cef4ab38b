#pragma once
// What a fee or total may be before any writer sees it: a finite number no larger than
// the biggest amount a SEPA debit can carry. Beyond that, the number texts of the bank
// file and the stored fees would turn it into something else (1E+16 reads as 0).

#include "core/Buchung.h"

namespace qvl {

struct RunInputs;

// 999.999.999,99 €: the largest amount of a SEPA transaction.
inline constexpr double kMaxAmount = 999999999.99;

// Throws RunError (input) naming the owner and the fee when a fee or total of a record is
// not a finite number or exceeds kMaxAmount. Runs after the fee calculation, before any
// file is written or any fee stored.
void CheckBetraege(const RunInputs &run, const Buchungen &aBuchungen);

} // namespace qvl
