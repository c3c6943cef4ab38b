#pragma once
// Who gets an e-invoice: the setting "ERechnung" ("Unternehmer", the default: owners
// flagged as businesses; "Alle"; "Keine"). The main form's check box switches them off and
// on (app/ERechnungForm).

#include <QString>

namespace qvl {

struct Buchung;

enum class ERechnungMode { Unternehmer, Alle, Keine };

// The setting's text, read without regard to letter case or blanks; anything else is the
// default.
ERechnungMode eRechnungMode(const QString &text);
QString eRechnungText(ERechnungMode mode);

bool getsEInvoice(ERechnungMode mode, const Buchung &b);

// Why a fee without VAT carries none, unless the settings say otherwise.
inline const QString kDefaultExemptionReason = QStringLiteral("Nicht steuerbarer Mitgliedsbeitrag");

} // namespace qvl
