// One instance per executable, across processes.
#include "platform/gui/instance.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QUuid>
#include <gtest/gtest.h>
#include <iostream>

namespace {

const char* const kChildEnv = "CORVADEL_HOLD_INSTANCE_OF";

QString uniqueExecutable()
{
    return QStringLiteral("/opt/corvadel-test/") + QUuid::createUuid().toString(QUuid::WithoutBraces)
        + QStringLiteral("/Corvadel");
}

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

TEST(SingleInstance, SecondProcessIsRefusedUntilTheFirstDies)
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

TEST(SingleInstance, LockIsPerExecutablePath)
{
    const QString a = uniqueExecutable();
    const QString b = uniqueExecutable();
    EXPECT_NE(platform::singleInstanceLockPath(a), platform::singleInstanceLockPath(b));
    EXPECT_TRUE(platform::acquireSingleInstance(a));
    EXPECT_TRUE(platform::acquireSingleInstance(b));
}
