#pragma once
// The program's three report designs, built in code. Like the designs of a report
// designer they outlive a run: a property a run changes (a caption emptied, a control
// hidden or placed from the settings) stays for later runs with the same designs.

#include "print/ReportDesign.h"

namespace qvl {

// Invoices and fee notices, one letter per owner. The fee blocks: the first at kFeeTop,
// each kFeeBlock below the one before, a header line of kFeeHeader above the detail; the
// fee font is kFeeFontSize points unless the run's longest fee line needs a smaller one.
inline constexpr int kFeeTop = 6850;
inline constexpr int kFeeBlock = 750;
inline constexpr int kFeeHeader = 185;
inline constexpr double kFeeFontSize = 8;
inline constexpr double kFeeMinFontSize = 6;
// The side of the GiroCode of a letter that asks for a transfer.
inline constexpr int kGiroCodeSide = 1400;
ReportDesign RechnungDesign();
// The booking list "Einzelbuchungen SEPA".
ReportDesign BeitragDesign();
// The accompanying slip for the bank.
ReportDesign BegleitzettelDesign();

struct ReportDesigns {
    ReportDesign Rechnung = RechnungDesign();
    ReportDesign Beitrag = BeitragDesign();
    ReportDesign Begleitzettel = BegleitzettelDesign();
};

} // namespace qvl
