#include "tests/common/testsupport.h"

#include <QFile>
#include <cstdio>
#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace testsupport {

TempFolder::TempFolder() = default;

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

bool writeWav(const QString& path, int frames, int channels, int rate,
              const std::function<float(int frame, int channel)>& sampleAt)
{
    SF_INFO info {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f) {
        return false;
    }
    std::vector<float> samples(size_t(frames) * size_t(channels));
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            samples[size_t(i) * size_t(channels) + size_t(c)] = sampleAt(i, c);
        }
    }
    const bool ok = sf_writef_float(f, samples.data(), frames) == frames;
    return sf_close(f) == 0 && ok;
}

bool writeLevelWav(const QString& path, float value, int frames)
{
    return writeWav(path, frames, 2, 44100, [value](int, int) { return value; });
}

int startAsNobody(const std::function<void()>& body)
{
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() == 0 && !nobody) {
        return -1;
    }
    const uid_t uid = nobody ? nobody->pw_uid : 0;
    const gid_t gid = nobody ? nobody->pw_gid : 0;
    std::fflush(nullptr); // nothing buffered is printed twice
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)) {
            ::_exit(2);
        }
        body();
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    return child;
}

bool finishChild(int child)
{
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool runAsNobody(const std::function<void()>& body)
{
    return finishChild(startAsNobody(body));
}

} // namespace testsupport
