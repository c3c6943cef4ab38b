#include "app/ERechnungForm.h"

#include "app/FrmDTA.h"

namespace qvl {

ERechnungMode eRechnungMode(const FrmDTA &f)
{
    if (f.chkERechnung.Value != 1)
        return ERechnungMode::Keine;
    // Ticking the box after "Keine" means the default.
    return eRechnungMode(f.strERechnung) == ERechnungMode::Alle ? ERechnungMode::Alle : ERechnungMode::Unternehmer;
}

void loadERechnung(FrmDTA &f, const QString &settingText)
{
    const ERechnungMode mode = eRechnungMode(settingText);
    f.strERechnung = eRechnungText(mode);
    f.chkERechnung.Value = mode == ERechnungMode::Keine ? 0 : 1;
}

QString savedERechnung(const FrmDTA &f)
{
    return eRechnungText(eRechnungMode(f));
}

} // namespace qvl
