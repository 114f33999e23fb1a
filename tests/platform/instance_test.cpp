// One instance per executable, across processes.
#include "platform/gui/instance.h"
#include "tests/common/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUuid>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <iostream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kChildEnv = "CORVADEL_HOLD_INSTANCE_OF";

QString uniqueExecutable()
{
    return QStringLiteral("/opt/corvadel-test/") + QUuid::createUuid().toString(QUuid::WithoutBraces)
        + QStringLiteral("/Corvadel");
}

// Each test has a temporary folder of its own like /tmp (its lock files go with it) and no runtime folder.
class SingleInstance : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(::chmod(temp.path().toLocal8Bit().constData(), 01777), 0);
        qputenv("TMPDIR", temp.path().toLocal8Bit());
        qunsetenv("XDG_RUNTIME_DIR");
    }
    void TearDown() override
    {
        for (const char* name : { "TMPDIR", "XDG_RUNTIME_DIR" }) {
            saved.contains(name) ? qputenv(name, saved.value(name).toLocal8Bit()) : qunsetenv(name);
        }
    }

    const QProcessEnvironment saved = QProcessEnvironment::systemEnvironment();
    testsupport::TempFolder temp;
};

} // namespace

// Run by the tests below in a second process: takes the lock, says so, and holds it until stdin closes.
TEST(SingleInstanceChild, HoldsTheLock)
{
    if (qEnvironmentVariableIsEmpty(kChildEnv)) {
        GTEST_SKIP() << "helper for the single-instance tests";
    }
    const bool got = platform::acquireSingleInstance(qEnvironmentVariable(kChildEnv));
    std::cout << (got ? "held" : "refused") << std::endl;
    std::string line;
    std::getline(std::cin, line);
}

TEST_F(SingleInstance, SecondProcessIsRefusedUntilTheFirstDies)
{
    const QString exe = uniqueExecutable();
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kChildEnv, exe);
    first.setProcessEnvironment(env);
    first.start(QCoreApplication::applicationFilePath(), { "--gtest_filter=SingleInstanceChild.HoldsTheLock" });
    ASSERT_TRUE(first.waitForStarted());
    QByteArray out;
    while (!out.contains("held\n") && !out.contains("refused\n") && first.waitForReadyRead(60000)) {
        out += first.readAllStandardOutput();
    }
    ASSERT_TRUE(out.contains("held\n")) << out.constData();

    EXPECT_FALSE(platform::acquireSingleInstance(exe));
    EXPECT_TRUE(QFile::exists(platform::singleInstanceLockPath(exe)));

    // Killed, it leaves its lock file behind; that must not block the next start.
    first.kill();
    ASSERT_TRUE(first.waitForFinished());
    EXPECT_TRUE(QFile::exists(platform::singleInstanceLockPath(exe)));
    EXPECT_TRUE(platform::acquireSingleInstance(exe));
    EXPECT_TRUE(platform::acquireSingleInstance(exe)); // still ours
}

TEST_F(SingleInstance, LockIsPerExecutablePath)
{
    const QString a = uniqueExecutable();
    const QString b = uniqueExecutable();
    EXPECT_NE(platform::singleInstanceLockPath(a), platform::singleInstanceLockPath(b));
    EXPECT_TRUE(platform::acquireSingleInstance(a));
    EXPECT_TRUE(platform::acquireSingleInstance(b));
}

TEST_F(SingleInstance, NothingAnotherUserLeavesBehindStopsAStart)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs the superuser to act as a second user";
    }
    // Another user has been first in the temporary folder: an empty lock file where the name can be
    // guessed, the per-user folder made as theirs, and a runtime folder of theirs, each with a lock they hold.
    const QString exe = uniqueExecutable();
    const QString lockName = QFileInfo(platform::singleInstanceLockPath(exe)).fileName();
    const QString ownFolder = temp.file(QStringLiteral("corvadel-%1").arg(::geteuid()));
    QDir().rmdir(ownFolder);
    qputenv("XDG_RUNTIME_DIR", temp.file("runtime").toLocal8Bit());

    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const int planter = testsupport::startAsNobody([&] {
        ::close(ready[0]);
        ::close(release[1]);
        testsupport::writeFile(temp.file(lockName), "");
        for (const QString& folder : { ownFolder, temp.file("runtime") }) {
            ASSERT_EQ(::mkdir(folder.toLocal8Bit().constData(), 0700), 0);
            ::chmod(folder.toLocal8Bit().constData(), folder == ownFolder ? 0777 : 0700);
            const int fd = ::open((folder + "/" + lockName).toLocal8Bit().constData(), O_RDWR | O_CREAT, 0666);
            ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
        }
        ASSERT_EQ(::write(ready[1], "x", 1), 1);
        char c;
        (void)::read(release[0], &c, 1); // until the test is done
    });
    ::close(ready[1]);
    ::close(release[0]);
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);

    EXPECT_TRUE(platform::acquireSingleInstance(exe));

    ::close(release[1]);
    ::close(ready[0]);
    EXPECT_TRUE(testsupport::finishChild(planter));
}
