#include "support/BatchProcess.h"

#include <QProcess>
#include <cstdio>
#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace qvl::test {

std::unique_ptr<QProcess> startBatch(const QStringList &args, const BatchRun &how)
{
    auto p = std::make_unique<QProcess>();
    if (!how.workingDir.isEmpty())
        p->setWorkingDirectory(how.workingDir);
    if (!how.environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &setting : how.environment)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        p->setProcessEnvironment(env);
    }
#ifdef Q_OS_UNIX
    if (how.fileSizeLimit > 0) {
        const rlim_t limit = rlim_t(how.fileSizeLimit);
        const bool ignore = !how.keepSigxfsz;
        p->setChildProcessModifier([limit, ignore] {
            // Ignored, SIGXFSZ would kill the child; the write fails with EFBIG instead.
            if (ignore)
                std::signal(SIGXFSZ, SIG_IGN);
            else
                std::signal(SIGXFSZ, SIG_DFL);
            rlimit r{};
            getrlimit(RLIMIT_FSIZE, &r);
            r.rlim_cur = limit;
            setrlimit(RLIMIT_FSIZE, &r);
        });
    }
#else
    if (how.fileSizeLimit > 0)
        ADD_FAILURE() << "file size limits need a Unix system";
#endif
    const auto start = [&] {
        if (!how.wrapper.isEmpty())
            p->start(how.wrapper.first(), how.wrapper.mid(1) + QStringList{QStringLiteral(QVL_BATCH_EXE)} + args);
        else
            p->start(QStringLiteral(QVL_BATCH_EXE), args);
    };
    start();
    // Wine on a loaded machine now and then fails to create a process at all; that is the
    // system's refusal, not the program's, and a second try tells the two apart.
    if (!p->waitForStarted(60000) && p->error() == QProcess::FailedToStart) {
        std::fprintf(stderr, "batch program not started (%s), starting it again\n", qPrintable(p->errorString()));
        start();
    }
    return p;
}

namespace {

// The console's text mode ends lines with CR LF on Windows; the tests read them as "\n".
QString consoleText(const QByteArray &bytes)
{
    QString text = QString::fromUtf8(bytes);
#ifdef Q_OS_WIN
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
    return text;
}

} // namespace

BatchResult finishBatch(QProcess &p)
{
    EXPECT_TRUE(p.waitForFinished(120000) || p.state() == QProcess::NotRunning) << p.errorString().toStdString();
    EXPECT_NE(p.error(), QProcess::FailedToStart) << p.errorString().toStdString();
    const int code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return {code, consoleText(p.readAllStandardOutput()), consoleText(p.readAllStandardError())};
}

BatchResult runBatch(const QStringList &args, const BatchRun &how)
{
    const std::unique_ptr<QProcess> p = startBatch(args, how);
    const BatchResult r = finishBatch(*p);
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    return r;
}

} // namespace qvl::test
