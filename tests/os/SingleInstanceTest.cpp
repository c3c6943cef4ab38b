#include "os/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace qvl {
namespace {

// Runs the event loop until done() holds, for at most five seconds.
bool waitUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    poll.start(10);
    if (!done())
        loop.exec();
    return done();
}

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest()
        : key(u"qvl32-test-%1-%2"_qs
                  .arg(QCoreApplication::applicationPid())
                  .arg(QString::fromLatin1(
                      ::testing::UnitTest::GetInstance()->current_test_info()->name())))
        , lockPath(QDir(QDir::tempPath()).filePath(key + u".lock"_qs))
    {
    }

    ~SingleInstanceTest() override { QFile::remove(lockPath); }

    static void countActivations(SingleInstance &instance, int *count)
    {
        QObject::connect(&instance, &SingleInstance::activationRequested, [count] { ++*count; });
    }

    const QString key;
    const QString lockPath;
};

TEST_F(SingleInstanceTest, SecondInstanceIsRefusedAndWakesTheFirst)
{
    SingleInstance first(key);
    int activations = 0;
    countActivations(first, &activations);
    ASSERT_TRUE(first.acquire());
    EXPECT_TRUE(first.acquire()) << "asking again must not lock out the holder";
    EXPECT_TRUE(QFile::exists(lockPath));

    for (int attempt = 1; attempt <= 2; ++attempt) {
        SingleInstance second(key);
        int secondActivations = 0;
        countActivations(second, &secondActivations);
        EXPECT_FALSE(second.acquire());
        EXPECT_TRUE(waitUntil([&] { return activations == attempt; }))
            << "activations after attempt " << attempt << ": " << activations;
        EXPECT_EQ(secondActivations, 0);
    }
    EXPECT_EQ(activations, 2);
}

TEST_F(SingleInstanceTest, DestroyedInstanceReleasesLockAndName)
{
    {
        SingleInstance first(key);
        ASSERT_TRUE(first.acquire());
    }
    EXPECT_FALSE(QFile::exists(lockPath));

    SingleInstance next(key);
    int activations = 0;
    countActivations(next, &activations);
    ASSERT_TRUE(next.acquire());
    SingleInstance third(key);
    EXPECT_FALSE(third.acquire());
    EXPECT_TRUE(waitUntil([&] { return activations == 1; })) << "successor does not listen";
}

TEST_F(SingleInstanceTest, LockWithoutListeningInstanceStillRefuses)
{
    // An instance that holds the lock but does not listen yet (still starting up).
    QLockFile held(lockPath);
    ASSERT_TRUE(held.tryLock(0));
    SingleInstance second(key);
    EXPECT_FALSE(second.acquire());
}

#ifdef Q_OS_UNIX
TEST_F(SingleInstanceTest, TakesOverWhatACrashedInstanceLeftBehind)
{
    // A lock file naming a process that no longer exists, as a crash leaves it.
    QByteArray contents;
    {
        QLockFile probe(lockPath);
        ASSERT_TRUE(probe.tryLock(0));
        QFile f(lockPath);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        contents = f.readAll();
    }
    QProcess gone;
    gone.start(u"sleep"_qs, {u"60"_qs});
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    gone.kill();
    ASSERT_TRUE(gone.waitForFinished());
    contents = QByteArray::number(deadPid) + contents.mid(contents.indexOf('\n'));
    {
        QFile f(lockPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contents);
    }
    // The crashed server's socket file is still there as well.
    const QString socketPath = QDir(QDir::tempPath()).filePath(key);
    {
        QFile leftover(socketPath);
        ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    }

    SingleInstance successor(key);
    int activations = 0;
    countActivations(successor, &activations);
    ASSERT_TRUE(successor.acquire());
    SingleInstance second(key);
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(waitUntil([&] { return activations == 1; })) << "leftover socket not replaced";
}
#endif

} // namespace
} // namespace qvl
