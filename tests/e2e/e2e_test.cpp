// The real player in a temporary program folder on a virtual display: it starts, refuses a second
// instance, plays a phrase set pressed with the mouse (its sound captured by SDL's disk driver), and
// writes its settings when its window is closed.
#include "tests/e2e/e2esupport.h"

#include "platform/gui/filenames.h"

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
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

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
        ASSERT_TRUE(writeSet(0.1f));
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

    // A second start ends at once, quietly, and leaves the first alone, even from another environment
    // (temporary and runtime folders of its own, as through sudo, ssh or cron).
    testsupport::TempFolder elsewhere;
    QProcessEnvironment env = environment();
    env.insert("TMPDIR", elsewhere.path());
    env.insert("XDG_RUNTIME_DIR", elsewhere.path());
    QProcess second;
    second.setProcessEnvironment(env);
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

TEST_F(EndToEnd, AProgramFolderNotInUtf8AndAMissingTemporaryFolderKeepItsFilesInPlace)
{
    // The program in a folder named in Latin-1, started through a link, with TMPDIR naming no folder.
    const std::string odd = QFile::encodeName(folder.path()).toStdString() + "/Caf\xe9";
    ASSERT_EQ(::mkdir(odd.c_str(), 0755), 0);
    ASSERT_EQ(::rename(QFile::encodeName(exe).constData(), (odd + "/Corvadel").c_str()), 0);
    exe = platform::textFromFileName(odd + "/Corvadel");
    ASSERT_EQ(::mkdir((odd + "/Set").c_str(), 0755), 0);
    const QByteArray options = "[Vellmarin Corvadel]\nShowEnding=1\nAutoPlay=0\nPhraseSync=1\n";
    ASSERT_TRUE(std::ofstream(odd + "/Corvadel.ini", std::ios::binary) << options.constData());
    ASSERT_EQ(::symlink("Caf\xe9/Corvadel", QFile::encodeName(folder.file("launch")).constData()), 0);
    const auto rootEntries = [] {
        return QDir("/").entryList(QDir::AllEntries | QDir::Hidden | QDir::System).join(" ").toStdString();
    };
    const std::string rootBefore = rootEntries();

    QProcess player;
    QProcessEnvironment env = environment();
    env.insert("TMPDIR", temp.file("missing"));
    env.insert("XDG_RUNTIME_DIR", temp.path()); // the toolkit's runtime folder goes there, not into the real /tmp
    player.setProcessEnvironment(env);
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    player.start(folder.file("launch"), {});
    ASSERT_TRUE(player.waitForStarted());
    const QString window = xdotool({ "search", "--sync", "--onlyvisible", "--name", "^Vellmarin Corvadel$" }, 60000)
                               .out.section('\n', 0, 0);
    ASSERT_FALSE(window.isEmpty());
    EXPECT_EQ(run(QStringLiteral(CORVADEL_XCLOSE), { window }).exitCode, 0);
    ASSERT_TRUE(player.waitForFinished(30000));

    // The options went back to the program folder's own file (rewritten with CRLF); nothing was made at
    // the root (options file, default sound, lock, the toolkit's runtime folder).
    std::ifstream written(odd + "/Corvadel.ini", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "[Vellmarin Corvadel]\r\nShowEnding=1\r\nAutoPlay=0\r\nPhraseSync=1\r\n");
    EXPECT_EQ(rootEntries(), rootBefore);
    std::filesystem::remove_all(odd); // a name the toolkit cannot remove
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

// ---- The popup's dialogs ----------------------------------------------------------------------------

// The last `frames` frames of the output are all `level` on both sides.
bool endsSteadyAt(const std::vector<float>& samples, float level, size_t frames = 2000)
{
    const size_t total = samples.size() / 2;
    if (total < frames) {
        return false;
    }
    for (size_t i = (total - frames) * 2; i < total * 2; ++i) {
        if (std::fabs(samples[i] - level) > 2e-3f) {
            return false;
        }
    }
    return true;
}

class PopupDialogs : public EndToEnd
{
protected:
    void TearDown() override
    {
        if (!window.isEmpty()) {
            EXPECT_EQ(run(QStringLiteral(CORVADEL_XCLOSE), { window }).exitCode, 0);
            EXPECT_TRUE(player.waitForFinished(30000));
        }
        EndToEnd::TearDown();
    }

    // Starts the player, selects the first folder's first set (it plays), right presses on it and chooses
    // the popup item `downs` places down; the id of the dialog titled `title` that opens, empty when none.
    QString openFromPopup(int downs, const QString& title)
    {
        window = startPlayer(player);
        if (window.isEmpty()) {
            return {};
        }
        entry = firstEntry(window, 0);
        click(entry);
        EXPECT_TRUE(waitFor([&] { return endsSteadyAt(captured(), playing); })) << "the set does not play";
        click(entry, 3);
        QStringList keys { "key", "--delay", "100" };
        for (int i = 0; i < downs; ++i) {
            keys << "Down";
        }
        EXPECT_EQ(xdotool(keys << "Return").exitCode, 0);
        QString id;
        waitFor([&] {
            id = xdotool({ "search", "--onlyvisible", "--name", "^" + title + "$" }).out.section('\n', 0, 0);
            return !id.isEmpty();
        });
        return id;
    }

    // Clicks a point of a dialog's client area, given in twips.
    void clickDialog(const QString& dialog, int leftTwips, int topTwips)
    {
        const Outcome geometry = xdotool({ "getwindowgeometry", "--shell", dialog });
        QPoint corner;
        for (const QString& line : geometry.out.split('\n')) {
            if (line.startsWith("X=")) {
                corner.setX(line.mid(2).toInt());
            } else if (line.startsWith("Y=")) {
                corner.setY(line.mid(2).toInt());
            }
        }
        click(corner + QPoint(leftTwips / 15, topTwips / 15));
    }

    bool closed(const QString& title)
    {
        return waitFor([&] {
            return xdotool({ "search", "--onlyvisible", "--name", "^" + title + "$" }).out.isEmpty();
        });
    }

    QStringList files(const QString& phraseFolder) const
    {
        return QDir(folder.file(phraseFolder)).entryList(QDir::Files, QDir::Name);
    }

    QProcess player;
    QString window;
    QPoint entry; // the first entry of the first phrase list
    const float playing = 0.1f + 0.2f + 0.3f * 0.001f; // the set A, its third layer muted
};

TEST_F(PopupDialogs, RenamePhraseSetRenamesTheFilesAndRefillsTheLists)
{
    ASSERT_FALSE(openFromPopup(2, "Rename Phrase Set").isEmpty());
    EXPECT_EQ(xdotool({ "type", "--delay", "50", "Beat.2" }).exitCode, 0); // the full stop is dropped
    EXPECT_EQ(xdotool({ "key", "Return" }).exitCode, 0);

    EXPECT_TRUE(waitFor([&] { return QFile::exists(folder.file("Set/Beat2.ini")); })) << "no Beat2.ini";
    EXPECT_EQ(files("Set"), QStringList({ "Beat2.ini", "Beat2_1.wav", "Beat2_2.wav", "Beat2_3.wav" }));
    EXPECT_EQ(testsupport::readFile(folder.file("Set/Beat2.ini")),
              setSettings + "Pan1=50\r\nPan2=50\r\nPan3=50\r\nMute1=0\r\nMute2=0\r\n");
    EXPECT_TRUE(closed("Rename Phrase Set"));

    // The layers stopped; the refilled first list's first entry is the renamed set, which plays as before.
    EXPECT_TRUE(waitFor([&] { return endsSteadyAt(captured(), 0.0f); })) << "the layers still play";
    click(entry);
    EXPECT_TRUE(waitFor([&] { return endsSteadyAt(captured(), playing); })) << "the renamed set does not play";
}

TEST_F(PopupDialogs, MovePhraseSetRefusesAFolderHoldingOneOfItsNamesThenMovesTheWholeSet)
{
    ASSERT_TRUE(QDir(folder.path()).mkpath("Yon"));
    ASSERT_TRUE(QDir(folder.path()).mkpath("Zed"));
    ASSERT_TRUE(testsupport::writeLevelWav(folder.file("Zed/A_2.wav"), 0.05f, 44100));
    ASSERT_TRUE(testsupport::writeLevelWav(folder.file("Set/B_1.wav"), 0.05f, 44100));
    const QByteArray theirs = testsupport::readFile(folder.file("Zed/A_2.wav"));
    const QString dialog = openFromPopup(5, "Move Phrase Set");
    ASSERT_FALSE(dialog.isEmpty());

    // Open the combo's list with its arrow, pick "Zed", the third folder, press "Move".
    const auto pick = [&](const QStringList& keys) {
        clickDialog(dialog, 1320 + 3615 - 120, 120 + 150);
        EXPECT_EQ(xdotool(QStringList { "key", "--delay", "100" } + keys + QStringList { "Return" }).exitCode, 0);
        clickDialog(dialog, 2580 + 1170, 540 + 240);
    };
    pick({ "Down", "Down", "Down" });

    // Zed holds an A_2.wav already: one message says so, nothing moves, the set plays on, the dialog stays.
    // The main window and the message carry the program title.
    const auto titled = [&] {
        return xdotool({ "search", "--onlyvisible", "--name", "^Vellmarin Corvadel$" })
            .out.split('\n', Qt::SkipEmptyParts)
            .size();
    };
    EXPECT_TRUE(waitFor([&] { return titled() == 2; })) << "no message";
    EXPECT_EQ(xdotool({ "key", "Return" }).exitCode, 0); // the message has the focus
    EXPECT_TRUE(waitFor([&] { return titled() == 1; })) << "the message stays";
    EXPECT_EQ(files("Zed"), QStringList({ "A_2.wav" }));
    EXPECT_EQ(testsupport::readFile(folder.file("Zed/A_2.wav")), theirs);
    EXPECT_EQ(files("Set"), QStringList({ "A.ini", "A_1.wav", "A_2.wav", "A_3.wav", "B_1.wav" }));
    EXPECT_EQ(testsupport::readFile(folder.file("Set/A.ini")), setSettings);
    EXPECT_TRUE(endsSteadyAt(captured(), playing)) << "the set stopped";

    // "Yon", one up, takes the whole set.
    pick({ "Up" });
    EXPECT_TRUE(waitFor([&] { return QFile::exists(folder.file("Yon/A.ini")); })) << "no Yon/A.ini";
    EXPECT_EQ(files("Yon"), QStringList({ "A.ini", "A_1.wav", "A_2.wav", "A_3.wav" }));
    EXPECT_EQ(files("Set"), QStringList({ "B_1.wav" }));
    EXPECT_TRUE(closed("Move Phrase Set"));
}

} // namespace
