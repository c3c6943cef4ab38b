#pragma once
// Computes every owner's fees, VAT, total, remittance line and invoice number, and drops
// the owners whose total is zero.

#include "core/Buchung.h"

#include <QString>
#include <optional>
#include <vector>

namespace qvl {

struct RunInputs;

// Computes with the run's ticked fees, calculation mode, scale, formula, VAT rates,
// remittance text and first invoice number. Throws RunError
// (nothing changed) when the formula mode cannot end: a surcharge step of 0 ha or less
// for an owner above the minimum area; and (the fees computed, no number given) when the
// invoice numbers of the kept owners would run past 999.999.999.
void CalcBeitraege(const RunInputs &run, Buchungen &aBuchungen, const SlotArray<bool> &bRundeBeitrag);

// Why an owner's total is 0, so that he is dropped from the run.
enum class ZeroReason {
    ClassAmount,      // fee 1 by hectare class: the class of his area has the amount 0
    Formula,          // fee 1 by formula: the formula gives 0
    JoinedInLastMonth, // fee 1 by formula, pro rata: joined in the last month of the business year
    Scale,            // fee 1 by scale: the scale gives 0
    OwnParameters,    // his own parameters give 0 for every ticked fee
    Cancelled         // fees that add up to 0
};

struct DroppedOwner {
    long idPersonal = 0;
    long nummer = 0;
    QString name;    // as read, not transliterated
    QString vorname;
    ZeroReason reason = ZeroReason::OwnParameters;
};

// The same, telling why each dropped owner was dropped, in the records' order.
void CalcBeitraege(const RunInputs &run, Buchungen &aBuchungen, const SlotArray<bool> &bRundeBeitrag,
                   std::vector<DroppedOwner> &dropped);

// Pro rata bills fee 1 by the owners' joining dates: fee 1 by formula, pro rata ticked,
// and a business year to count the months in.
bool proRataByJoiningDate(const RunInputs &run);

// "Betrag der ha-Staffel ist 0", … for the check before a run; `lastMonth` is the last month
// of the business year (1 to 12), in which a member who joins pays nothing pro rata.
QString zeroReasonText(ZeroReason reason, int lastMonth = 12);

// The German name of a month (1 to 12): "Juni".
QString monthName(int month);

} // namespace qvl
