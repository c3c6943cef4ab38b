#include "support/BatchProcess.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace qvl::test {

BatchResult runBatch(const QStringList &args, const BatchRun &how)
{
    QProcess p;
    if (!how.workingDir.isEmpty())
        p.setWorkingDirectory(how.workingDir);
    if (!how.environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &entry : how.environment)
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        p.setProcessEnvironment(env);
    }
#ifdef Q_OS_UNIX
    if (how.fileSizeLimit > 0) {
        const rlim_t limit = rlim_t(how.fileSizeLimit);
        p.setChildProcessModifier([limit] {
            // Ignored, SIGXFSZ would kill the child; the write fails with EFBIG instead.
            std::signal(SIGXFSZ, SIG_IGN);
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
    p.start(QStringLiteral(QVL_BATCH_EXE), args);
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace qvl::test
