#include "run/Leftovers.h"

#include "app/FrmDTA.h"
#include "app/SettingsFile.h"
#include "db/Database.h"
#include "os/Paths.h"
#include "os/TemporaryFiles.h"
#include "run/RunDriver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace qvl {

namespace {

// The names of the accounting files, numbered per day or not.
const QStringList kAccountingFiles{u"BEIT(LA|RE)\\d{8}(_\\d+)?\\.(df2|txt)"_qs, u"LA\\d{8}(_\\d+)?\\.df2"_qs,
                                   u"DATEV_BEIT(LA|RE)(_DEBKRED_)?\\d{8}(_\\d+)?\\.csv"_qs};
const QStringList kReports{u"(Rechnung|Beitrag|Begleitzettel)\\.(pdf|csv)"_qs, u"Dtaus0\\.csv"_qs};

} // namespace

void clearLeftovers(FrmDTA &f)
{
    removeAbandonedTemporaries(f.context().programDir, {QRegularExpression::escape(kSettingsFileName)});
    const QString exportDir = nativePath(f.strExportPfad);
    if (exportDir.left(3).toUpper() != u"A:\\"_qs) {
        removeAbandonedTemporaries(exportDir, kReports);
        removeAbandonedTemporaries(joinPath(exportDir, u"E-Rechnungen"_qs), {u"\\d+_\\d+(_\\d+)?\\.pdf"_qs});
        removeAbandonedTemporaries(joinPath(exportDir, u"E-Mails"_qs), {u"\\d+_\\d+(_\\d+)?\\.eml"_qs});
    }
    const QString accounting = nativePath(f.Dir1.Path);
    removeAbandonedTemporaries(accounting, kAccountingFiles);
    try {
        finishInterruptedRuns(f);
    } catch (const DbError &e) {
        // The program can still be used; the next run tries again before it writes.
        f.ui().message(u"Unterbrochene Beitragsläufe konnten nicht geprüft werden.\n"_qs + e.message(), {},
                       MsgIcon::Exclamation);
    }
}

} // namespace qvl
