#pragma once
// The report designs' properties that a run changes at run time. Like the designs
// themselves they live as long as the program: a caption emptied by one run stays empty.

#include <QString>

namespace qvl {

struct ReportDesigns {
    // Report "Beitrag" (booking list), section "Bereich2", label "Bezeichnung16": the
    // column caption of the accounting number.
    QString Beitrag_Bereich2_Bezeichnung16_Caption = QStringLiteral("FibNr");
};

} // namespace qvl
