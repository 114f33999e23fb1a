// A logout, a service manager or a Ctrl+C in the terminal ends the player as its close box does: the
// options are written and the program ends.
#include "tests/e2e/e2esupport.h"

#include <QFile>

#include <csignal>

namespace {

class EndSignals : public e2e::PlayerTest
{ };

TEST_F(EndSignals, TermIntAndHupEndThePlayerAsClosingItsWindowDoes)
{
    for (const int which : { SIGTERM, SIGINT, SIGHUP }) {
        SCOPED_TRACE(which);
        QFile::remove(folder.file("Corvadel.ini"));
        QProcess player;
        ASSERT_FALSE(startPlayer(player).isEmpty());
        signal(player, which);
        // Left running, it would never end; the limit only keeps a failing run short.
        const bool ended = player.waitForFinished(10000);
        if (!ended) {
            player.kill();
            player.waitForFinished();
        }
        ASSERT_TRUE(ended) << "still running 10 s after the signal";
        EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(player.exitCode(), 0);
        EXPECT_EQ(testsupport::readFile(folder.file("Corvadel.ini")),
                  QByteArray("[Vellmarin Corvadel]\r\nShowEnding=0\r\nAutoPlay=1\r\nPhraseSync=1\r\n"));
    }
}

TEST_F(EndSignals, AHangUpThePlayerWasStartedToIgnoreLeavesItRunning)
{
    QProcess player;
    ASSERT_FALSE(startPlayer(player, QStringLiteral("nohup")).isEmpty());
    signal(player, SIGHUP);
    EXPECT_FALSE(player.waitForFinished(1000));
    signal(player, SIGTERM);
    ASSERT_TRUE(player.waitForFinished(10000));
    EXPECT_EQ(player.exitCode(), 0);
}

} // namespace
