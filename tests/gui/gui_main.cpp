#include "gui/GuiApplication.h"
#include "text/Translation.h"
#include "os/ThreadEnd.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qvl::prepareThreadEnd();
    // Real widgets, no display needed (also when the tests are only listed), on a laptop's
    // 1366×768 screen, or the screen QVL32_TEST_SCREEN names ("1024x768"; with
    // QT_SCALE_FACTOR the small screens at 125 % and 150 %).
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString screen = QDir::temp().filePath(u"qvl32-gui-tests-screen-"_qs + pid + u".json"_qs);
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool offscreen = platform.isEmpty() || platform == "offscreen";
    if (offscreen) {
        const QStringList size = qEnvironmentVariable("QVL32_TEST_SCREEN", u"1366x768"_qs).split(u'x');
        const QByteArray width = size.value(0, u"1366"_qs).toLatin1(), height = size.value(1, u"768"_qs).toLatin1();
        QFile file(screen);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(R"({"screens": [{"name": "Laptop", "x": 0, "y": 0, "width": )" + width + R"(, "height": )"
                       + height + R"(, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen));
    }
    // The program's own application: what reaches its event loop is told, not fatal.
    qvl::GuiApplication app(argc, argv);
    // What the program keeps per user (window placement, preview zoom) goes to a test
    // folder of this process, not into the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setOrganizationName(u"QVL32-Tests"_qs);
    QApplication::setApplicationName(u"qvl32-gui-tests-"_qs + pid);
    qvl::installGermanTranslation();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    QFile::remove(QSettings().fileName());
    if (offscreen)
        QFile::remove(screen);
    return result;
}
