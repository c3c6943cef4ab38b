#include "base/FaultPoints.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>
#include <stdexcept>
#include <string>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace qvl {

void faultPoint(const char *name)
{
    static const QByteArray setting = qgetenv("QVL32_FAULT_POINT");
    if (setting.isEmpty())
        return;
    const qsizetype colon = setting.indexOf(':');
    if (colon < 0 || setting.left(colon) != name)
        return;
    QByteArray action = setting.mid(colon + 1);
    if (const qsizetype hash = action.indexOf('#'); hash > 0) {
        static int reached = 0;
        if (++reached != action.mid(hash + 1).toInt())
            return;
        action.truncate(hash);
    }
#ifdef SIGKILL
    if (action == "KILL")
        std::raise(SIGKILL);
#endif
#ifdef Q_OS_WIN
    // Ended at once as the task manager ends a program, with the code QProcess::kill() uses,
    // which a parent reads as a crash.
    if (action == "KILL")
        TerminateProcess(GetCurrentProcess(), 0xf291);
#endif
    if (action == "THROW")
        throw std::logic_error(std::string("Testausnahme am Punkt ") + name);
    if (action == "TERM")
        std::raise(SIGTERM);
    else if (action == "INT")
        std::raise(SIGINT);
    else if (action.startsWith("WAIT:")) {
        const QString go = QFile::decodeName(action.mid(5));
        QFile ready(go + u".ready."_qs + QString::number(QCoreApplication::applicationPid()));
        ready.open(QIODevice::WriteOnly);
        ready.close();
        for (int i = 0; i < 6000 && !QFileInfo::exists(go); ++i)
            QThread::msleep(10);
    }
}

bool faultFails(const char *name)
{
    static const QByteArray setting = qgetenv("QVL32_FAULT_POINT");
    return !setting.isEmpty() && setting.split(',').contains(QByteArray(name) + ":FAIL");
}

} // namespace qvl
