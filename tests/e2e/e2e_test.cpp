// The real player in a temporary program folder on a virtual display: it starts, refuses a second
// instance, plays a phrase set pressed with the mouse (its sound captured by SDL's disk driver), and
// writes its settings when its window is closed.
#include "tests/common/testsupport.h"

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

struct Outcome
{
    int exitCode = -1;
    QString out;
};

Outcome run(const QString& program, const QStringList& args, int timeoutMs = 30000)
{
    QProcess p;
    p.start(program, args);
    Outcome r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    return r;
}

Outcome xdotool(const QStringList& args, int timeoutMs = 30000)
{
    return run(QStringLiteral(CORVADEL_XDOTOOL), args, timeoutMs);
}

// Waits (polling, with a generous limit) until cond holds.
template<class Cond> bool waitFor(Cond cond, int limitMs = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > limitMs) {
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

class EndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        exe = folder.file("Corvadel");
        ASSERT_TRUE(QFile::copy(QStringLiteral(CORVADEL_EXECUTABLE), exe));
        QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner);
        ASSERT_TRUE(QDir(folder.path()).mkpath("Set"));
        for (int k = 1; k <= 3; ++k) {
            ASSERT_TRUE(testsupport::writeLevelWav(folder.file(QString("Set/A_%1.wav").arg(k)), 0.1f * k, 44100));
        }
        ASSERT_TRUE(testsupport::writeFile(folder.file("Corvadel.ini"),
                                           "[Vellmarin Corvadel]\r\nShowEnding=1\r\nAutoPlay=1\r\nPhraseSync=1\r\n"));
        ASSERT_TRUE(testsupport::writeFile(folder.file("Set/A.ini"), setSettings));
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("SDL_AUDIODRIVER", "disk");
        env.insert("SDL_DISKAUDIOFILE", folder.file("out.raw"));
        env.insert("TMPDIR", temp.path());
        return env;
    }

    QString findWindow()
    {
        const Outcome r = xdotool({ "search", "--sync", "--onlyvisible", "--name", "^Vellmarin Corvadel$" }, 60000);
        return r.out.section('\n', 0, 0);
    }

    // Starts the program in its folder; its main window's id, empty when it did not come.
    QString startPlayer(QProcess& player)
    {
        player.setProcessEnvironment(environment());
        player.setProcessChannelMode(QProcess::ForwardedChannels);
        player.start(exe, {});
        return player.waitForStarted() ? findWindow() : QString();
    }

    // Screen point inside the first entry of a phrase list (0 to 2) of the main window.
    QPoint firstEntry(const QString& window, int list)
    {
        const Outcome geometry = xdotool({ "getwindowgeometry", "--shell", window });
        int x = 0, y = 0, height = 0;
        for (const QString& line : geometry.out.split('\n')) {
            if (line.startsWith("X=")) {
                x = line.mid(2).toInt();
            } else if (line.startsWith("Y=")) {
                y = line.mid(2).toInt();
            } else if (line.startsWith("HEIGHT=")) {
                height = line.mid(7).toInt();
            }
        }
        const int menuBar = height - 657; // the client area is 657 pixels high
        EXPECT_GT(menuBar, 0);
        // The panel, its border, the list's column, into the entry.
        return { x + 232 + 2 + 16 + 220 * list + 30, y + menuBar + 16 + 2 + 104 + 8 };
    }

    // A click at a screen point. No "--sync": it would wait for a move that does not come when the pointer
    // is there already; the server handles the move before the click all the same.
    void click(const QPoint& at, int button = 1)
    {
        EXPECT_EQ(xdotool({ "mousemove", QString::number(at.x()), QString::number(at.y()) }).exitCode, 0);
        EXPECT_EQ(xdotool({ "click", QString::number(button) }).exitCode, 0);
    }

    // The sound output captured so far, interleaved left and right.
    std::vector<float> captured() const
    {
        QFile f(folder.file("out.raw"));
        std::vector<float> samples;
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = f.readAll();
            samples.resize(size_t(bytes.size()) / sizeof(float));
            std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
        }
        return samples;
    }

    testsupport::TempFolder folder; // the program folder
    testsupport::TempFolder temp; // the program's temporary folder
    QString exe;
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
    int onset = -1;
    std::vector<float> samples;
    ASSERT_TRUE(waitFor([&] {
        samples = captured();
        for (size_t i = 0; i + 1 < samples.size(); i += 2) {
            if (std::fabs(samples[i]) > 1e-4f) {
                onset = int(i / 2);
                return samples.size() / 2 > size_t(onset) + 2000;
            }
        }
        return false;
    })) << "no sound captured";
    for (int i = onset; i < onset + 2000; ++i) {
        ASSERT_NEAR(samples[size_t(i) * 2], expected, 2e-3) << "frame " << i - onset << " after the onset";
        ASSERT_NEAR(samples[size_t(i) * 2 + 1], expected, 2e-3) << "frame " << i - onset << " after the onset";
    }

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
    env.insert("XDG_RUNTIME_DIR", temp.path()); // the lock goes there, not into the real /tmp
    player.setProcessEnvironment(env);
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    player.start(folder.file("launch"), {});
    ASSERT_TRUE(player.waitForStarted());
    const QString window = findWindow();
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

} // namespace
