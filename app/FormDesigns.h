#pragma once
// The report designs of a main form. They live as long as the form: a property a run
// changes (a caption emptied, a control placed from the settings) stays for its later runs,
// while another form starts from the designs as built.

#include "print/ReportDesigns.h"

namespace qvl {

class FrmDTA;

// The form's designs, built on first use.
ReportDesigns &designs(FrmDTA &form);
const ReportDesigns &designs(const FrmDTA &form);

} // namespace qvl
