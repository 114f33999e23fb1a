// A logout, a service manager or a Ctrl+C in the terminal ends the player as its close box does: the
// options are written and the program ends.
#include "tests/e2e/e2esupport.h"

#include <QFile>
#include <QProcess>

#include <csignal>
#include <unistd.h>

namespace {

using e2e::run;
using e2e::waitFor;

class EndSignals : public e2e::PlayerTest
{ };

TEST_F(EndSignals, TermIntAndHupEndThePlayerAsClosingItsWindowDoesAlsoWhenSentDuringTheStart)
{
    for (const bool duringStart : { false, true }) {
        for (const int which : { SIGTERM, SIGINT, SIGHUP }) {
            SCOPED_TRACE(std::to_string(which) + (duringStart ? " during the start" : " to the window"));
            QFile::remove(folder.file("Corvadel.ini"));
            QProcess player;
            if (duringStart) {
                // Sent before the player's first line and pending through exec, as one sent at any moment
                // of the start is once it is held back.
                player.setChildProcessModifier([which] {
                    sigset_t set;
                    sigemptyset(&set);
                    sigaddset(&set, which);
                    ::sigprocmask(SIG_BLOCK, &set, nullptr);
                    ::kill(::getpid(), which);
                });
                ASSERT_TRUE(launch(player));
            } else {
                ASSERT_FALSE(startPlayer(player).isEmpty());
                signal(player, which);
            }
            // Left running, it would never end; the limit only keeps a failing run short.
            const bool ended = player.waitForFinished(60000);
            if (!ended) {
                player.kill();
                player.waitForFinished();
            }
            ASSERT_TRUE(ended) << "still running 60 s after the signal";
            EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(player.exitCode(), 0);
            EXPECT_EQ(testsupport::readFile(folder.file("Corvadel.ini")),
                      QByteArray("[Vellmarin Corvadel]\r\nShowEnding=0\r\nAutoPlay=1\r\nPhraseSync=1\r\n"));
        }
    }
}

TEST_F(EndSignals, AHangUpThePlayerWasStartedToIgnoreLeavesItRunning)
{
    ASSERT_TRUE(writeSet(0.1f));
    QProcess player;
    const QString window = startPlayer(player, QStringLiteral("nohup"));
    ASSERT_FALSE(window.isEmpty());
    signal(player, SIGHUP);

    // The hang-up reached the player before the press did; taken as an end, it would close the window
    // before the press is handled, and no sound would come.
    click(firstEntry(window, 0));
    bool ended = false;
    waitFor([&] {
        ended = player.waitForFinished(0);
        return ended || !e2e::fromOnset(captured(), 1).empty();
    });
    ASSERT_FALSE(ended) << "the hang-up ended the player";
    ASSERT_FALSE(e2e::fromOnset(captured(), 1).empty()) << "a press after the hang-up plays nothing";

    // Its window is still there, and closing it ends the player as before.
    EXPECT_EQ(run(QStringLiteral(CORVADEL_XCLOSE), { window }).exitCode, 0);
    ASSERT_TRUE(player.waitForFinished(30000));
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player.exitCode(), 0);
}

} // namespace
