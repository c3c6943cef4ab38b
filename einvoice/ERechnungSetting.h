#pragma once
// Who gets an e-invoice: the setting "ERechnung" ("Unternehmer", the default: owners
// flagged as businesses; "Alle"; "Keine") and the main form's check box that switches
// them off and on.

#include <QString>

namespace qvl {

class FrmDTA;
struct Buchung;

enum class ERechnungMode { Unternehmer, Alle, Keine };

// The setting's text, read without regard to letter case or blanks; anything else is the
// default.
ERechnungMode eRechnungMode(const QString &text);
QString eRechnungText(ERechnungMode mode);

// The mode of a run: none when the form's box is not ticked, else the setting's choice.
ERechnungMode eRechnungMode(const FrmDTA &form);
// The form's state after loading the setting, and the setting as the form gives it back.
void loadERechnung(FrmDTA &form, const QString &settingText);
QString savedERechnung(const FrmDTA &form);

bool getsEInvoice(ERechnungMode mode, const Buchung &b);

} // namespace qvl
