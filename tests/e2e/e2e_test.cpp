// The real player in a temporary program folder on a virtual display: it starts, refuses a second
// instance, plays a phrase set pressed with the mouse (its sound captured by SDL's disk driver), and
// writes its settings when its window is closed.
#include "tests/e2e/e2esupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using e2e::Outcome;
using e2e::run;
using e2e::waitFor;
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
    const QString window = startPlayer(player);
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

    // Press the first entry of the first phrase list.
    click(firstEntry(window, 0));

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

TEST_F(EndToEnd, DeletePhraseFromThePopupDeletesItsFileAndRefillsTheLists)
{
    ASSERT_TRUE(testsupport::writeLevelWav(folder.file("Set/B_1.wav"), 0.05f, 44100));
    ASSERT_TRUE(testsupport::writeFile(folder.file("Set/B.ini"),
                                       "[Vellmarin Corvadel]\r\nLevel1=100\r\nLevel2=100\r\nLevel3=100\r\n"));
    QProcess player;
    const QString window = startPlayer(player);
    ASSERT_FALSE(window.isEmpty());

    // Select A_1 (the set plays), then right press on it and choose "Delete Phrase" in the popup.
    const QPoint entry = firstEntry(window, 0);
    click(entry);
    click(entry, 3);
    EXPECT_EQ(xdotool({ "key", "--delay", "100", "Down", "Down", "Down", "Return" }).exitCode, 0);

    // The question box: a second window with the program's title; Yes is its default button.
    QString box;
    ASSERT_TRUE(waitFor([&] {
        const Outcome r = xdotool({ "search", "--onlyvisible", "--name", "^Vellmarin Corvadel$" });
        for (const QString& id : r.out.split('\n', Qt::SkipEmptyParts)) {
            if (id != window) {
                box = id;
            }
        }
        return !box.isEmpty();
    })) << "no question box";
    EXPECT_EQ(xdotool({ "windowfocus", "--sync", box }).exitCode, 0);
    EXPECT_EQ(xdotool({ "key", "Return" }).exitCode, 0);

    EXPECT_TRUE(waitFor([&] { return !QFile::exists(folder.file("Set/A_1.wav")); })) << "A_1.wav still there";
    for (const char* kept : { "Set/A_2.wav", "Set/A_3.wav", "Set/A.ini", "Set/B_1.wav", "Set/B.ini" }) {
        EXPECT_TRUE(QFile::exists(folder.file(kept))) << kept;
    }

    // The refilled first list starts with B_1: pressing its first entry plays B_1 with A_2 and A_3.
    click(entry);
    const float expected = 0.05f + 0.2f + 0.3f;
    EXPECT_TRUE(waitFor([&] {
        const std::vector<float> samples = captured();
        const size_t frames = samples.size() / 2;
        if (frames < 2000) {
            return false;
        }
        for (size_t i = frames - 2000; i < frames; ++i) {
            if (std::fabs(samples[i * 2] - expected) > 2e-3f || std::fabs(samples[i * 2 + 1] - expected) > 2e-3f) {
                return false;
            }
        }
        return true;
    })) << "the refilled list's first entry does not play";

    EXPECT_EQ(run(QStringLiteral(CORVADEL_XCLOSE), { window }).exitCode, 0);
    ASSERT_TRUE(player.waitForFinished(30000));
}

} // namespace
