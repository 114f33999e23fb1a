// What the player does before its window: it takes no options from its command line, and a start that
// can have no lock against a second copy ends with a reason.
#include "tests/e2e/e2esupport.h"

#include <QFile>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Start : public e2e::PlayerTest
{ };

TEST_F(Start, CommandLineOptionsReachNeitherThePlayerNorItsToolkit)
{
    // Taken by the toolkit, "-platform offscreen" would run the player without a window, holding the lock.
    QProcess player;
    const QString window = startPlayer(player, {}, { "-platform", "offscreen" });
    ASSERT_FALSE(window.isEmpty()) << "no window on the display";
    EXPECT_EQ(e2e::run(QStringLiteral(CORVADEL_XCLOSE), { window }).exitCode, 0);
    ASSERT_TRUE(player.waitForFinished(30000));
    EXPECT_EQ(player.exitCode(), 0);
}

TEST_F(Start, AStartThatCanHaveNoLockSaysWhyAndFails)
{
    // A user whose passwd entry names a home folder that is not there, and who has no runtime folder.
    const passwd* nobody = ::getpwnam("nobody");
    struct stat st;
    if (::geteuid() != 0 || !nobody || ::stat(nobody->pw_dir, &st) == 0
        || ::stat(("/run/user/" + std::to_string(nobody->pw_uid)).c_str(), &st) == 0) {
        GTEST_SKIP() << "needs the superuser, and a user without a home folder or a runtime folder";
    }
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0755), 0); // the copy runs as that user
    ASSERT_EQ(::chown(QFile::encodeName(temp.path()).constData(), uid, gid), 0); // and has a runtime folder
    QProcess player;
    QProcessEnvironment env = environment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", temp.path());
    player.setProcessEnvironment(env);
    player.setChildProcessModifier([uid, gid] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) {
            ::_exit(99);
        }
    });
    player.start(exe, {});
    ASSERT_TRUE(player.waitForFinished(60000));
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(player.readAllStandardError()),
              QString("Corvadel is not starting: it can have no lock against a second copy (%1/: %2)\n")
                  .arg(QFile::decodeName(nobody->pw_dir), "No such file or directory"));
}

} // namespace
