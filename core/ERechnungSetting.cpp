#include "core/ERechnungSetting.h"

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
