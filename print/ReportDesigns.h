#pragma once
// The program's three report designs, built in code. Like the designs of a report
// designer they live as long as the program: a property a run changes (a caption emptied,
// a control hidden or placed from the settings) stays for later runs.

#include "print/ReportDesign.h"

namespace qvl {

// Invoices and fee notices, one letter per owner.
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
