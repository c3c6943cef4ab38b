#include "fibu/FibuExport.h"

#include "fibu/DatevExport.h"
#include "fibu/IbmExport.h"
#include "fibu/SyskaExport.h"

namespace qvl {

QStringList ExportFibu(const fibu::FibuSettings &f, const Buchungen &records, QStringList &written,
                       const QSet<long> &notCollected)
{
    const QString system = f.system.trimmed().toUpper();
    if (system == u"IBM-FIBU"_qs)
        return fibu::ExportIBM(f, records, written, notCollected);
    if (system == u"SYSKA-FIBU"_qs)
        return fibu::ExportSYSKA(f, records, written);
    if (system == u"DATEV-FIBU"_qs)
        return fibu::ExportDATEV(f, records, written);
    return {};
}

} // namespace qvl
