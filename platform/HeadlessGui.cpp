#include "platform/HeadlessGui.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace qvl {

void prepareHeadlessGui(bool force)
{
    if (force || qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_UNIX
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt accepts the folder only when it belongs to the user alone.
        const QString dir = QDir::tempPath() + u"/runtime-"_qs + QString::number(getuid());
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
    }
#endif
}

} // namespace qvl
