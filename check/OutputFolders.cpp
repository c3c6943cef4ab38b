#include "check/OutputFolders.h"
#include "check/RunScreens.h"

#include "app/FrmDTA.h"
#include "os/Paths.h"
#include "base/UserInterface.h"

#include <QFileInfo>

namespace qvl {

namespace {

bool writableFolder(const QString &folder)
{
    const QFileInfo info(nativePath(folder));
    return info.isDir() && info.isWritable();
}

QString problem(const QString &what, const QString &folder)
{
    return what + u" „"_qs + nativePath(folder)
           + u"“ wurde nicht gefunden oder ist nicht beschreibbar. Es wurde nichts geschrieben."_qs;
}

} // namespace

QString missingOutputFolder(const FrmDTA &f, bool directDebit, const QString &exportPfad)
{
    // The diskette has a check of its own (the drive test).
    const bool diskette = directDebit && exportPfad.left(3).toUpper() == u"A:\\"_qs;
    const bool writesExport = directDebit || f.chkEinzelbuchungen.Value == 1;
    if (writesExport && !diskette && !exportPfad.isEmpty() && !writableFolder(exportPfad))
        return problem(u"Der Exportordner"_qs, exportPfad);
    const QString system = f.strFibu.trimmed().toUpper();
    const bool accounting = system == u"IBM-FIBU"_qs || system == u"DATEV-FIBU"_qs || system == u"SYSKA-FIBU"_qs;
    if (accounting && !writableFolder(f.Dir1.Path))
        return problem(u"Der Zielordner für die FIBU-Übernahme"_qs, f.Dir1.Path);
    const QString reports = runScreens(f.ui()).reportsFolder();
    if (!reports.isEmpty() && !writableFolder(reports))
        return problem(u"Der Ordner für die Berichte"_qs, reports);
    return {};
}

} // namespace qvl
