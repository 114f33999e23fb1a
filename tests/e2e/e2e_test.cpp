// The real player in a temporary program folder on a virtual display: it starts, refuses a second
// instance, plays a phrase set pressed with the mouse (its sound captured by SDL's disk driver), and
// writes its settings when its window is closed.
#include "tests/e2e/e2esupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

using e2e::run;
using e2e::xdotool;

class EndToEnd : public e2e::PlayerTest
{
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        ASSERT_TRUE(QDir(folder.path()).mkpath("Set"));
        for (int k = 1; k <= 3; ++k) {
            ASSERT_TRUE(testsupport::writeLevelWav(folder.file(QString("Set/A_%1.wav").arg(k)), 0.1f * k, 44100));
        }
        ASSERT_TRUE(testsupport::writeFile(folder.file("Corvadel.ini"),
                                           "[Vellmarin Corvadel]\r\nShowEnding=1\r\nAutoPlay=1\r\nPhraseSync=1\r\n"));
        ASSERT_TRUE(testsupport::writeFile(folder.file("Set/A.ini"), setSettings));
    }

    const QByteArray setSettings = "[Vellmarin Corvadel]\r\nLevel1=100\r\nLevel2=100\r\nLevel3=100\r\nMute3=1\r\n";
};

TEST_F(EndToEnd, PressAPhrasePlaysTheSetTogetherAndClosingStoresTheOptions)
{
    QProcess player;
    const QString window = startShown(player);
    ASSERT_FALSE(window.isEmpty());
    EXPECT_TRUE(QFile::exists(temp.file("Default.wav")));

    // A second start ends at once, quietly, and leaves the first alone.
    QProcess second;
    second.setProcessEnvironment(environment());
    second.start(exe, {});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(player.state(), QProcess::Running);

    pressFirstPhrase(window);

    // The captured output: silence, then on one frame the sum of the three layers (the third muted).
    const float expected = 0.1f + 0.2f + 0.3f * 0.001f;
    ASSERT_NO_FATAL_FAILURE(expectSteady(soundFromOnset(2000), expected));

    // A picture of the window as it is now, for the README.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPixmap shot = screen->grabWindow(WId(window.toULongLong()));
        QDir().mkpath(QStringLiteral(CORVADEL_BINARY_DIR "/screenshots"));
        EXPECT_TRUE(shot.save(QStringLiteral(CORVADEL_BINARY_DIR "/screenshots/mainwindow.png")));
    }

    // Close the window: the options are written in order and the program ends.
    EXPECT_EQ(run(QStringLiteral(CORVADEL_XCLOSE), { window }).exitCode, 0);
    ASSERT_TRUE(player.waitForFinished(30000));
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player.exitCode(), 0);
    EXPECT_EQ(testsupport::readFile(folder.file("Corvadel.ini")),
              QByteArray("[Vellmarin Corvadel]\r\nShowEnding=1\r\nAutoPlay=1\r\nPhraseSync=1\r\n"));
    EXPECT_EQ(testsupport::readFile(folder.file("Set/A.ini")), setSettings);
}

} // namespace
