#include "os/HeadlessGui.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFont>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
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
#ifdef Q_OS_WIN
    // The offscreen platform reads its fonts from one folder (without one it paints no text):
    // the system's, where Arial and Courier New are.
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR")) {
        wchar_t windows[MAX_PATH];
        const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            qputenv("QT_QPA_FONTDIR", (QString::fromWCharArray(windows, int(length)) + u"\\Fonts"_qs).toLocal8Bit());
    }
    // A folder without Microsoft's fonts (Wine's, one of Liberation's) has their metric twins.
    QFont::insertSubstitution(u"Arial"_qs, u"Liberation Sans"_qs);
    QFont::insertSubstitution(u"Courier New"_qs, u"Liberation Mono"_qs);
    // The desktop program has no console of its own: what it prints without a window (help,
    // version, a wrong option) goes to the console it was started from, unless its output
    // is redirected.
    if (!::GetConsoleWindow() && !::GetStdHandle(STD_OUTPUT_HANDLE) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
    // The program writes its German messages in UTF-8; the console shows them as such.
    ::SetConsoleOutputCP(CP_UTF8);
#endif
}

} // namespace qvl
