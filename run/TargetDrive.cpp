#include "run/TargetDrive.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace qvl {

#ifdef Q_OS_WIN

bool DisketteWritable()
{
    QFile test(u"A:\\Test.txt"_qs);
    if (!test.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    test.close();
    return test.remove();
}

void ClearDiskette()
{
    QDir root(u"A:\\"_qs);
    const auto entries = root.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir()) {
            QDir(entry.absoluteFilePath()).removeRecursively();
        } else {
            QFile::setPermissions(entry.absoluteFilePath(), QFile::WriteOwner | QFile::ReadOwner);
            QFile::remove(entry.absoluteFilePath());
        }
    }
}

bool SetDisketteLabel(const QString &label)
{
    return SetVolumeLabelW(L"A:\\", reinterpret_cast<const wchar_t *>(label.utf16())) != 0;
}

#else

bool DisketteWritable()
{
    return false;
}

void ClearDiskette() {}

bool SetDisketteLabel(const QString &)
{
    return false;
}

#endif

} // namespace qvl
