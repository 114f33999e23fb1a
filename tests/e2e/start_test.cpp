// What the player does before its window: it takes no options from its command line, and a start that
// can have no lock against a second copy ends with a reason.
#include "tests/e2e/e2esupport.h"

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

} // namespace
