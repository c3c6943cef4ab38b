#include "support/Workspace.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

QProcess *startGui(QProcess &p, const QStringList &args, const QString &user)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
    env.insert(u"USER"_qs, user); // the single-instance key names the user
    p.setProcessEnvironment(env);
    p.start(QString::fromUtf8(QVL_GUI_EXE), args);
    return &p;
}

} // namespace

TEST(Program, HelpAndVersionOfBothProgramsNeedNoDisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char16_t *name : {u"QT_QPA_PLATFORM", u"DISPLAY", u"WAYLAND_DISPLAY"})
        env.remove(QString::fromUtf16(name));
    struct Case {
        const char *program;
        const char16_t *option;
        const char *prints;
    };
    const Case cases[] = {
        {QVL_GUI_EXE, u"--help", "--program-dir <ORDNER>"},
        {QVL_GUI_EXE, u"--version", "qvl32-sepa 1.0\n"},
        {QVL_BATCH_EXE, u"--help", "--select-owners <N,N,...>"},
        {QVL_BATCH_EXE, u"--version", "qvl32-sepa-batch 1.0\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.program) + ' ' + QString::fromUtf16(c.option).toStdString());
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QString::fromUtf8(c.program), {QString::fromUtf16(c.option)});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().contains(c.prints));
    }
}

TEST(Program, OptionsAndASecondStartThatBringsTheFirstToTheFront)
{
    QProcess p;
    startGui(p, {u"--version"_qs}, u"x"_qs);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(p.readAllStandardOutput(), "qvl32-sepa 1.0\n");
    startGui(p, {u"--help"_qs}, u"x"_qs);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().contains("--program-dir <ORDNER>"));
    startGui(p, {u"--bogus"_qs}, u"x"_qs);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("Unbekannte Option 'bogus'."));

    // The program on a connection string given on its command line starts and stays up;
    // a second start ends at once.
    Workspace ws(5);
    ws.writeSettings(demoSettings());
    const QString user = u"qvl-test-"_qs + QString::number(QCoreApplication::applicationPid());
    const QStringList args{u"--program-dir"_qs, ws.programDir(), u"Provider=SQLite;Data Source="_qs + ws.databaseFile()};
    QProcess first;
    startGui(first, args, user);
    ASSERT_TRUE(first.waitForStarted(20000));
    const QString lock = QDir(QDir::tempPath()).filePath(u"qvl32-sepa-"_qs + user + u".lock"_qs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(lock) || first.state() != QProcess::Running; }, 20000));
    QProcess second;
    startGui(second, args, user);
    ASSERT_TRUE(second.waitForFinished(20000)) << first.state() << first.readAllStandardError().toStdString()
                                               << second.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().toStdString();
    first.kill();
    first.waitForFinished(5000);
}
