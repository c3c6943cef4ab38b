#pragma once
// Computes every owner's fees, VAT, total, remittance line and invoice number, and drops
// the owners whose total is zero.

#include "run/Buchung.h"

namespace qvl {

class FrmDTA;

// Reads the form's fee check boxes, calculation mode, scale, formula, VAT rates,
// remittance text and first invoice number at the moment of the call. Throws RunError
// (nothing changed) when the formula mode cannot end: a surcharge step of 0 ha or less
// for an owner above the minimum area; and (the fees computed, no number given) when the
// invoice numbers of the kept owners would run past 999.999.999.
void CalcBeitraege(const FrmDTA &form, Buchungen &aBuchungen, const SlotArray<bool> &bRundeBeitrag);

} // namespace qvl
