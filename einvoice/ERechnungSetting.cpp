#include "einvoice/ERechnungSetting.h"

#include "app/FrmDTA.h"
#include "core/Buchung.h"

namespace qvl {

ERechnungMode eRechnungMode(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(u"Alle"_qs, Qt::CaseInsensitive) == 0)
        return ERechnungMode::Alle;
    if (t.compare(u"Keine"_qs, Qt::CaseInsensitive) == 0)
        return ERechnungMode::Keine;
    return ERechnungMode::Unternehmer;
}

QString eRechnungText(ERechnungMode mode)
{
    switch (mode) {
    case ERechnungMode::Alle:
        return u"Alle"_qs;
    case ERechnungMode::Keine:
        return u"Keine"_qs;
    case ERechnungMode::Unternehmer:
        break;
    }
    return u"Unternehmer"_qs;
}

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

bool getsEInvoice(ERechnungMode mode, const Buchung &b)
{
    switch (mode) {
    case ERechnungMode::Alle:
        return true;
    case ERechnungMode::Unternehmer:
        return b.Unternehmer.trimmed() == u"2"_qs;
    case ERechnungMode::Keine:
        break;
    }
    return false;
}

} // namespace qvl
