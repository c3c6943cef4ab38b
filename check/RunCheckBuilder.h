#pragma once
// Makes the check before a run from what its first half found: the computed records, the
// owners the fee calculation dropped, the fees stored last year. Every finding comes from
// the rule the writers follow (the SEPA writer's booking rules, the accounting exports'
// account rule, the code pages of the files), so the list says what the run will do.

#include "core/Buchung.h"
#include "fees/FeeCalculation.h"
#include "check/RunCheck.h"
#include "stored/YearComparison.h"

#include <QSet>
#include <optional>
#include <vector>

namespace qvl {

class FrmDTA;
struct RunInputs;

struct RunCheckInputs {
    int read = 0;                             // owners the member query read
    std::vector<DroppedOwner> dropped;        // owners whose total is 0
    QSet<long> withoutJoiningDate;            // owners whose joining date is not on file
    std::optional<YearComparison> comparison; // the run against last year's stored fees
    QString noComparison;                     // why there is none, when there is none
    QString calculationRefused;               // the fee calculation's or the limits' refusal
};

// `records`: the run's records after the fee calculation and the transliteration.
RunCheck buildRunCheck(const FrmDTA &form, const RunInputs &run, const Buchungen &records,
                       const RunCheckInputs &inputs);

// The due-date findings of a direct-debit run, made anew (after the due date changed).
void checkDueDate(const FrmDTA &form, const RunInputs &run, RunCheck &check);

} // namespace qvl
