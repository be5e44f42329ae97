#include "session/PortLock.h"
#include "session/ProcessLock.h"
#include "tests/support/QtPrinting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct PortLockTest : ::testing::Test {
    QTemporaryDir dir;
    QString ports = dir.filePath("ports");
    QString locks = dir.filePath("locks");
    PortLockTest()
    {
        QDir().mkpath(ports);
        QDir().mkpath(locks);
        QFile device(dir.filePath("tty"));
        device.open(QIODevice::WriteOnly);
        // Two names for one device: the lock goes by the device.
        QFile::link(dir.filePath("tty"), QDir(ports).filePath("Com1"));
        QFile::link(dir.filePath("tty"), QDir(ports).filePath("Com2"));
    }
};

} // namespace

TEST_F(PortLockTest, OneProgramAtATimeOnADeviceWhateverItsName)
{
    PortLock first(ports, locks);
    PortLock second(ports, locks);
    ASSERT_TRUE(first.claim(1));
    EXPECT_TRUE(first.claim(2)); // the device it holds
    EXPECT_TRUE(first.refusalFor(2).isEmpty());
    EXPECT_FALSE(second.claim(2));
    EXPECT_EQ(second.refusal(),
        QStringLiteral("Com2 (%1) is in use by test_session (pid %2)")
            .arg(QFileInfo(dir.filePath("tty")).canonicalFilePath())
            .arg(QCoreApplication::applicationPid()));
    EXPECT_EQ(second.refusalFor(2), second.refusal()); // looking alone
    EXPECT_TRUE(second.claim(3)); // another device
    first.release();
    EXPECT_TRUE(second.refusalFor(1).isEmpty());
    EXPECT_TRUE(second.claim(1));
}

TEST_F(PortLockTest, ALockOfAProgramThatDiedIsTakenOver)
{
    {
        PortLock held(ports, locks);
        ASSERT_TRUE(held.claim(1));
        const QStringList files = QDir(locks).entryList(QDir::Files);
        ASSERT_EQ(files.size(), 1);
        QFile lockFile(QDir(locks).filePath(files.first()));
        ASSERT_TRUE(lockFile.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = lockFile.readAll().split('\n');
        lockFile.close();
        held.release();
        // The same lock, left by a process that has ended.
        QProcess gone;
        gone.start("true", {});
        ASSERT_TRUE(gone.waitForStarted());
        lines[0] = QByteArray::number(gone.processId());
        gone.waitForFinished();
        ASSERT_TRUE(lockFile.open(QIODevice::WriteOnly));
        lockFile.write(lines.join('\n'));
    }
    PortLock next(ports, locks);
    EXPECT_TRUE(next.refusalFor(2).isEmpty());
    EXPECT_TRUE(next.claim(2));
}

// A data folder deep down has a path longer than a file name may be.
TEST_F(PortLockTest, ALongKeyStillLocks)
{
    const QString key = QStringLiteral("/media/user/%1/Ovolta Panel")
                            .arg(QStringList(20, QStringLiteral("Bench setups")).join(u'/'));
    ProcessLock first(key, locks);
    ProcessLock second(key, locks);
    EXPECT_TRUE(first.tryLock());
    EXPECT_FALSE(second.tryLock());
    EXPECT_TRUE(second.heldByAnother());
}
