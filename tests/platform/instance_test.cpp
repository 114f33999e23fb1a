// One copy per user and program file, across processes, whatever their environment.
#include "platform/gui/instance.h"
#include "tests/common/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUuid>
#include <gtest/gtest.h>
#include <iostream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the helper process below is told: the executable, and the user's places (tests never use the real
// user's folders).
const char* const kChildEnv = "CORVADEL_HOLD_INSTANCE_OF";
const char* const kHomeEnv = "CORVADEL_TEST_HOME";
const char* const kRuntimeEnv = "CORVADEL_TEST_RUNTIME_ROOT";

std::string bytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// A program file of its own in a folder: the lock is named from the file, not from its path.
QString newProgram(const QString& folder)
{
    const QString path = folder + "/Corvadel-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    EXPECT_TRUE(testsupport::writeFile(path, "program"));
    return path;
}

// The places of this user inside a test folder: "home" and "run" (its runtime folder would be "run/<uid>").
platform::UserPlaces placesIn(const QString& root)
{
    EXPECT_TRUE(QDir(root).mkpath("home"));
    EXPECT_TRUE(QDir(root).mkpath("run"));
    platform::UserPlaces places;
    places.uid = ::geteuid();
    places.home = bytes(root + "/home");
    places.runtimeRoot = bytes(root + "/run");
    return places;
}

QString runtimeFolder(const QString& root)
{
    return root + QStringLiteral("/run/%1").arg(::geteuid());
}

QString homeFolder(const QString& root)
{
    return root + "/home/.corvadel";
}

void makeFolder(const QString& path, mode_t mode)
{
    ASSERT_EQ(::mkdir(bytes(path).c_str(), 0700), 0);
    ASSERT_EQ(::chmod(bytes(path).c_str(), mode), 0);
}

QString entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System).join(' ');
}

// Each test has a home folder and a folder of runtime folders of its own, inside a temporary folder
// that, like /tmp, every user can write.
class SingleInstance : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(::chmod(bytes(temp.path()).c_str(), 01777), 0); }

    // Starts the helper holding exe's lock under the given environment; true once it says it holds it.
    bool startHolder(QProcess& holder, const QString& exe, QProcessEnvironment env) const
    {
        env.insert(kChildEnv, exe);
        env.insert(kHomeEnv, temp.file("home"));
        env.insert(kRuntimeEnv, temp.file("run"));
        holder.setProcessEnvironment(env);
        holder.start(QCoreApplication::applicationFilePath(), { "--gtest_filter=SingleInstanceChild.HoldsTheLock" });
        QByteArray out;
        while (!out.contains("held\n") && !out.contains("refused\n") && holder.waitForReadyRead(60000)) {
            out += holder.readAllStandardOutput();
        }
        return out.contains("held\n");
    }

    testsupport::TempFolder temp;
    platform::UserPlaces places = placesIn(temp.path());
};

} // namespace

// Run by the tests below in a second process: takes the lock, says so, and holds it until stdin closes.
TEST(SingleInstanceChild, HoldsTheLock)
{
    if (qEnvironmentVariableIsEmpty(kChildEnv)) {
        GTEST_SKIP() << "helper for the single-instance tests";
    }
    platform::UserPlaces places;
    places.uid = ::geteuid();
    places.home = bytes(qEnvironmentVariable(kHomeEnv));
    places.runtimeRoot = bytes(qEnvironmentVariable(kRuntimeEnv));
    const bool got = platform::acquireSingleInstance(qEnvironmentVariable(kChildEnv), places).first;
    std::cout << (got ? "held" : "refused") << std::endl;
    std::string line;
    std::getline(std::cin, line);
}

TEST_F(SingleInstance, SecondProcessIsRefusedUntilTheFirstDies)
{
    const QString exe = newProgram(temp.path());
    QProcess first;
    ASSERT_TRUE(startHolder(first, exe, QProcessEnvironment::systemEnvironment()));

    const platform::InstanceLock second = platform::acquireSingleInstance(exe, places);
    EXPECT_FALSE(second.first);
    EXPECT_EQ(second.failure, ""); // another copy runs: nothing to say
    const QStringList locks = platform::singleInstanceLockPaths(exe, places);
    ASSERT_EQ(locks.size(), 2); // by the file's inode and by its path
    EXPECT_TRUE(QFile::exists(locks[0]) && QFile::exists(locks[1]));

    // Killed, it leaves its lock file behind; that must not block the next start.
    first.kill();
    ASSERT_TRUE(first.waitForFinished());
    EXPECT_TRUE(QFile::exists(locks[0]));
    EXPECT_TRUE(platform::acquireSingleInstance(exe, places).first);
    EXPECT_TRUE(platform::acquireSingleInstance(exe, places).first); // still ours
}

TEST_F(SingleInstance, ASecondStartUnderAnotherEnvironmentIsRefused)
{
    // Each copy has a temporary folder and a runtime folder of its own in its environment, as copies
    // started from a desktop, through sudo, ssh or cron do.
    const QString exe = newProgram(temp.path());
    for (const char* name : { "a", "b" }) {
        makeFolder(temp.file(name), 0700);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", temp.file("a"));
    env.insert("XDG_RUNTIME_DIR", temp.file("a"));
    QProcess first;
    ASSERT_TRUE(startHolder(first, exe, env));

    const QProcessEnvironment saved = QProcessEnvironment::systemEnvironment();
    qputenv("TMPDIR", bytes(temp.file("b")).c_str());
    qputenv("XDG_RUNTIME_DIR", bytes(temp.file("b")).c_str());
    EXPECT_FALSE(platform::acquireSingleInstance(exe, places).first);
    for (const char* name : { "TMPDIR", "XDG_RUNTIME_DIR" }) {
        saved.contains(name) ? qputenv(name, saved.value(name).toLocal8Bit()) : qunsetenv(name);
    }
    EXPECT_EQ(entries(temp.file("a")), "");
    EXPECT_EQ(entries(temp.file("b")), "");
}

TEST_F(SingleInstance, ACopyStartedBeforeTheUserLoggedInKeepsOutOneStartedAfter)
{
    // A copy started by cron before a login made the runtime folder, then one started after the login.
    const QString exe = newProgram(temp.path());
    QProcess first;
    ASSERT_TRUE(startHolder(first, exe, QProcessEnvironment::systemEnvironment()));
    makeFolder(runtimeFolder(temp.path()), 0700);
    EXPECT_FALSE(platform::acquireSingleInstance(exe, places).first);
}

TEST_F(SingleInstance, OneLockPerProgramFileByWhateverPathItIsStarted)
{
    // A hard link beside the program, and a link to it, start the same program; a copy is another one.
    const QString program = newProgram(temp.path());
    const QString hardLink = temp.file("Corvadel-linked");
    const QString link = temp.file("Corvadel-link");
    ASSERT_EQ(::link(bytes(program).c_str(), bytes(hardLink).c_str()), 0);
    ASSERT_EQ(::symlink(bytes(program).c_str(), bytes(link).c_str()), 0);
    const QString copy = newProgram(temp.path());
    QProcess first;
    ASSERT_TRUE(startHolder(first, program, QProcessEnvironment::systemEnvironment()));

    for (const QString& same : { hardLink, link }) {
        const platform::InstanceLock second = platform::acquireSingleInstance(same, places);
        EXPECT_FALSE(second.first) << same.toStdString();
        EXPECT_EQ(second.failure, "") << same.toStdString();
    }
    EXPECT_TRUE(platform::acquireSingleInstance(copy, places).first);

    // An update puts a new file in the running program's place: started from there, it is the same program.
    const QString update = newProgram(temp.path());
    ASSERT_EQ(::rename(bytes(update).c_str(), bytes(program).c_str()), 0);
    EXPECT_FALSE(platform::acquireSingleInstance(program, places).first);
}

TEST_F(SingleInstance, TheLockLivesOnlyInAFolderOfTheUsersOwn)
{
    // What the user's places hold before the start (in the case's own folder), and where the lock then
    // lives: in the runtime folder and the home folder, in one of them, or nowhere (the program does not
    // start).
    enum Where { Runtime = 1, Home = 2, Both = 3, Nowhere = 0 };
    struct Case
    {
        const char* what;
        std::function<void(const QString& root, platform::UserPlaces&)> prepare;
        int where;
    };
    const auto linkTo = [](const QString& link) {
        makeFolder(link + ".target", 0700);
        ASSERT_EQ(::symlink(bytes(link + ".target").c_str(), bytes(link).c_str()), 0);
    };
    const Case cases[] = {
        { "a runtime folder of the user's own", [](auto& root, auto&) { makeFolder(runtimeFolder(root), 0700); }, Both },
        { "a runtime folder and no home folder",
          [](auto& root, auto& p) {
              makeFolder(runtimeFolder(root), 0700);
              p.home.clear();
          },
          Runtime },
        { "no runtime folder: one is made in the home folder", [](auto&, auto&) {}, Home },
        { "a runtime folder others can enter", [](auto& root, auto&) { makeFolder(runtimeFolder(root), 0755); }, Home },
        { "a runtime folder that is a link", [&](auto& root, auto&) { linkTo(runtimeFolder(root)); }, Home },
        { "a home folder of the user's own", [](auto& root, auto&) { makeFolder(homeFolder(root), 0700); }, Home },
        { "a home folder others can write", [](auto& root, auto&) { makeFolder(homeFolder(root), 0770); }, Nowhere },
        { "a home folder that is a link", [&](auto& root, auto&) { linkTo(homeFolder(root)); }, Nowhere },
        { "no home folder at all", [](auto& root, auto& p) { p.home = bytes(root + "/missing"); }, Nowhere },
        { "no passwd entry", [](auto&, auto& p) { p.home.clear(); }, Nowhere },
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString root = temp.file(QString::number(++n));
        platform::UserPlaces at = placesIn(root);
        c.prepare(root, at);
        const QString exe = newProgram(root);
        const platform::InstanceLock lock = platform::acquireSingleInstance(exe, at);
        EXPECT_EQ(lock.first, c.where != Nowhere);
        EXPECT_EQ(lock.failure.empty(), c.where != Nowhere) << lock.failure;
        QStringList expected;
        for (const auto& [where, folder] : { std::pair(Runtime, runtimeFolder(root)), std::pair(Home, homeFolder(root)) }) {
            if (c.where & where) {
                expected << folder;
                EXPECT_EQ(QFileInfo(folder).permissions() & 0x0077, 0) << "the folder is private";
            }
        }
        QStringList folders;
        for (const QString& path : platform::singleInstanceLockPaths(exe, at)) {
            folders << QFileInfo(path).path();
        }
        folders.removeDuplicates(); // two lock files in each
        EXPECT_EQ(folders, expected);
    }
}

TEST_F(SingleInstance, AFolderAnotherUserPlantedIsNeverUsedAndNoLockMeansNoStart)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs the superuser to act as a second user";
    }
    // Another user has been first where this user's folders are looked for (both made open to all for
    // it): a runtime folder of theirs, with a lock file in it, and ".corvadel" in the home folder.
    const QString exe = newProgram(temp.path());
    const QString lockName = QFileInfo(platform::singleInstanceLockPaths(exe, places).value(0)).fileName();
    const QString runtime = runtimeFolder(temp.path()); // named here: the planter's id is another
    const QString home = homeFolder(temp.path());
    ASSERT_TRUE(QDir(home).removeRecursively()); // made by the lookup above
    for (const char* folder : { "home", "run" }) {
        ASSERT_EQ(::chmod(bytes(temp.file(folder)).c_str(), 01777), 0);
    }
    ASSERT_TRUE(testsupport::runAsNobody([&] {
        ASSERT_EQ(::mkdir(bytes(runtime).c_str(), 0700), 0);
        ASSERT_TRUE(testsupport::writeFile(runtime + "/" + lockName, ""));
        ASSERT_EQ(::mkdir(bytes(home).c_str(), 0700), 0);
        ASSERT_EQ(::chmod(bytes(home).c_str(), 0777), 0);
    }));

    const platform::InstanceLock lock = platform::acquireSingleInstance(exe, places);
    EXPECT_FALSE(lock.first);
    EXPECT_EQ(lock.failure, bytes(home) + "/: made by another user");
    EXPECT_EQ(entries(home), "");
    EXPECT_EQ(entries(runtime), lockName);

    // Once the home folder is the user's own again, the start goes on there, past the planted runtime folder.
    ASSERT_TRUE(QDir(home).removeRecursively());
    EXPECT_TRUE(platform::acquireSingleInstance(exe, places).first);
    EXPECT_TRUE(QFile::exists(home + "/" + lockName));
}

TEST_F(SingleInstance, ALockFileAnotherUserOwnsIsNeverTaken)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs the superuser to give the lock file to another user";
    }
    // In the user's own runtime folder, the only one there is, a lock file of another user's: the
    // superuser's open would take it whatever its mode.
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    makeFolder(runtimeFolder(temp.path()), 0700);
    places.home.clear();
    const QString exe = newProgram(temp.path());
    const QString lock = platform::singleInstanceLockPaths(exe, places).value(0);
    ASSERT_TRUE(testsupport::writeFile(lock, ""));
    ASSERT_EQ(::chown(bytes(lock).c_str(), nobody->pw_uid, nobody->pw_gid), 0);

    const platform::InstanceLock taken = platform::acquireSingleInstance(exe, places);
    EXPECT_FALSE(taken.first);
    EXPECT_NE(taken.failure.find(bytes(lock) + ": not a lock file of the user's own"), std::string::npos)
        << taken.failure;
}
