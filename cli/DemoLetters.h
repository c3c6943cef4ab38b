#pragma once
// Fee notices of a demo association, for the documentation's pictures and the tests of the
// letter's layout: an ordinary one, and one with everything real data brings at once.
// Each sets the form as the association's clerk would for a direct-debit run with fee
// notices, and returns its owners with their fees computed.

#include "core/Buchung.h"

namespace qvl {

class FrmDTA;

namespace demo {

// Two fees (the second with VAT on top), a short name, an address of five lines.
Buchungen ordinaryLetter(FrmDTA &form);

// An association name of 79 characters, all five fees with VAT (on top, or included), a
// first fee so large that the total comes close to 999.999.999,99, a free text of 17
// lines (831 characters), an address of six lines whose name has a quote and characters
// beyond Windows-1252, an owner's bank with a long name and an IBAN of 34 characters.
Buchungen hardestLetter(FrmDTA &form, bool vatOnTop);

// The free text of the hardest letter.
QString longFreeText();

} // namespace demo
} // namespace qvl
