#pragma once
// The main form's side of the setting "ERechnung": its check box "E-Rechnungen (ZUGFeRD)
// für Unternehmer" switches the e-invoices off and on.

#include "core/ERechnungSetting.h"

namespace qvl {

class FrmDTA;

// The mode of a run: none when the form's box is not ticked, else the setting's choice.
ERechnungMode eRechnungMode(const FrmDTA &form);
// The form's state after loading the setting, and the setting as the form gives it back.
void loadERechnung(FrmDTA &form, const QString &settingText);
QString savedERechnung(const FrmDTA &form);

} // namespace qvl
