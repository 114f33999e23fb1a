#include "tests/e2e/e2esupport.h"

#include "platform/gui/filenames.h"
#include "platform/gui/instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace e2e {

Outcome run(const QString& program, const QStringList& args, int timeoutMs)
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

Outcome xdotool(const QStringList& args, int timeoutMs)
{
    return run(QStringLiteral(CORVADEL_XDOTOOL), args, timeoutMs);
}

void PlayerTest::SetUp()
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
    exe = folder.file("Corvadel");
    ASSERT_TRUE(QFile::copy(QStringLiteral(CORVADEL_EXECUTABLE), exe));
    QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner);
    exe = QFileInfo(exe).canonicalFilePath();
    m_lockFiles = platform::singleInstanceLockPaths(exe);
}

void PlayerTest::TearDown()
{
    for (const QString& lock : m_lockFiles) {
        // Only when no copy holds it: once a test has removed its program file, another test's copy may
        // have that file's inode, and so the same lock.
        const std::string path = platform::fileNameFromText(lock);
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(path.c_str());
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

QProcessEnvironment PlayerTest::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("SDL_AUDIODRIVER", "disk");
    env.insert("SDL_DISKAUDIOFILE", folder.file("out.raw"));
    env.insert("TMPDIR", temp.path());
    return env;
}

bool PlayerTest::launch(QProcess& player, const QString& launcher, const QStringList& args) const
{
    player.setProcessEnvironment(environment());
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    if (launcher.isEmpty()) {
        player.start(exe, args);
    } else {
        player.start(launcher, QStringList { exe } + args);
    }
    return player.waitForStarted();
}

QString PlayerTest::startPlayer(QProcess& player, const QString& launcher, const QStringList& args) const
{
    if (!launch(player, launcher, args)) {
        return {};
    }
    const Outcome r = xdotool({ "search", "--sync", "--onlyvisible", "--name", "^Vellmarin Corvadel$" }, 60000);
    return r.out.section('\n', 0, 0);
}

bool PlayerTest::writeSet(float level) const
{
    if (!QDir(folder.path()).mkpath("Set")) {
        return false;
    }
    for (int k = 1; k <= 3; ++k) {
        if (!testsupport::writeLevelWav(folder.file(QString("Set/A_%1.wav").arg(k)), level * float(k), 44100)) {
            return false;
        }
    }
    return true;
}

QPoint PlayerTest::screenPoint(const QString& window, int x, int y) const
{
    const Outcome geometry = xdotool({ "getwindowgeometry", "--shell", window });
    int left = 0, top = 0, height = 0;
    for (const QString& line : geometry.out.split('\n')) {
        if (line.startsWith("X=")) {
            left = line.mid(2).toInt();
        } else if (line.startsWith("Y=")) {
            top = line.mid(2).toInt();
        } else if (line.startsWith("HEIGHT=")) {
            height = line.mid(7).toInt();
        }
    }
    const int menuBar = height - 657; // the client area is 657 pixels high
    EXPECT_GT(menuBar, 0);
    return { left + x, top + menuBar + y };
}

QPoint PlayerTest::firstEntry(const QString& window, int list) const
{
    // The panel, its border, the list's column, into the entry.
    return screenPoint(window, 232 + 2 + 16 + 220 * list + 30, 16 + 2 + 104 + 8);
}

void PlayerTest::signal(QProcess& player, int signal)
{
    const qint64 pid = player.processId();
    ASSERT_GT(pid, 0) << "the player has ended";
    ::kill(pid_t(pid), signal);
}

void PlayerTest::click(const QPoint& at, int button) const
{
    EXPECT_EQ(xdotool({ "mousemove", QString::number(at.x()), QString::number(at.y()) }).exitCode, 0);
    EXPECT_EQ(xdotool({ "click", QString::number(button) }).exitCode, 0);
}

std::vector<float> PlayerTest::captured() const
{
    QFile f(folder.file("out.raw"));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = f.readAll();
    std::vector<float> samples(size_t(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

std::vector<float> fromOnset(const std::vector<float>& samples, int frames)
{
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        if (std::fabs(samples[i]) > 1e-4f) {
            if (samples.size() < i + size_t(frames) * 2) {
                return {};
            }
            return { samples.begin() + std::ptrdiff_t(i), samples.begin() + std::ptrdiff_t(i) + frames * 2 };
        }
    }
    return {};
}

std::vector<float> PlayerTest::soundFromOnset(int frames) const
{
    std::vector<float> sound;
    waitFor([&] {
        sound = fromOnset(captured(), frames);
        return !sound.empty();
    });
    return sound;
}

void PlayerTest::expectSteady(const std::vector<float>& samples, float expected)
{
    ASSERT_FALSE(samples.empty()) << "no sound captured";
    for (size_t i = 0; i < samples.size(); ++i) {
        ASSERT_NEAR(samples[i], expected, 2e-3) << "frame " << i / 2 << " after the onset";
    }
}

} // namespace e2e
