// The sound module: slots, the level and pan scales, applying them on load, failures, and a real device.
#include "sound/dx7sound.h"
#include "platform/core/heldfolder.h"
#include "tests/common/testsupport.h"
#include "tests/sound/soundfiles.h"

#include <QDir>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

using soundtest::rampValue;
using soundtest::ScopedEnv;

namespace {

const float Level80 = float(std::pow(10.0, -1200 / 2000.0));

class Sound : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DX7Sound::OfflineDevice = true;
        ASSERT_TRUE(DX7Sound::InitDX(0));
        ASSERT_TRUE(soundtest::writeRamp(ramp, 1000));
        ASSERT_TRUE(soundtest::writeConstant(half, 4410, 0.5));
    }
    void TearDown() override
    {
        DX7Sound::Shutdown();
        DX7Sound::OfflineDevice = false;
    }

    static soundtest::Mix render(std::size_t frames) { return soundtest::render(*DX7Sound::DS, frames); }
    static platform::SoundBuffer& buffer(int index) { return *DX7Sound::SoundBuffers.at(std::size_t(index)).Buffer; }

    testsupport::TempFolder dir;
    const std::string ramp = dir.file("ramp.wav").toStdString();
    const std::string half = dir.file("half.wav").toStdString();
    const std::string missing = dir.file("missing.wav").toStdString();
};

TEST_F(Sound, InitBuffersGivesElevenSlotsLoadedAtLevel80)
{
    DX7Sound::InitBuffers(10, ramp);
    ASSERT_EQ(DX7Sound::SoundBuffers.size(), 11u);
    for (const DX7Sound::SoundSlot& s : DX7Sound::SoundBuffers) {
        EXPECT_EQ(s.Loaded, -1);
        ASSERT_TRUE(s.Buffer);
        EXPECT_EQ(s.Buffer->path(), ramp);
        EXPECT_EQ(s.Buffer->volume(), -1200);
        EXPECT_EQ(s.Buffer->pan(), 0);
        EXPECT_FALSE(s.Buffer->playing());
    }
    // Again: the earlier slots and buffers are gone.
    const auto before = DX7Sound::SoundBuffers[3].Buffer;
    DX7Sound::InitBuffers(2, half);
    ASSERT_EQ(DX7Sound::SoundBuffers.size(), 3u);
    EXPECT_NE(DX7Sound::SoundBuffers[0].Buffer, before);
    EXPECT_EQ(buffer(2).path(), half);
    // A negative last index cannot size the array: the slots stay.
    DX7Sound::InitBuffers(-1, ramp);
    EXPECT_EQ(DX7Sound::SoundBuffers.size(), 3u);
}

TEST_F(Sound, LevelAndPanScales)
{
    DX7Sound::InitBuffers(0, ramp);
    const std::pair<int, int> levels[]
        = { { 0, -6000 }, { 40, -3600 }, { 80, -1200 }, { 100, 0 }, { 101, 0 }, { 255, 0 }, { 1, -5940 } };
    for (const auto& [level, volume] : levels) {
        DX7Sound::SetVolume(0, uint8_t(level));
        EXPECT_EQ(buffer(0).volume(), volume) << "level " << level;
    }
    const std::pair<int, int> pans[]
        = { { 0, -10000 },  { 1, -4900 },   { 35, -1500 },  { 50, 0 },      { 65, 1500 }, { 99, 4900 },
            { 100, 10000 }, { 150, 10000 }, { 151, 10000 }, { 255, 10000 }, { 120, 7000 } };
    for (const auto& [pan, value] : pans) {
        DX7Sound::SetPan(0, uint8_t(pan));
        EXPECT_EQ(buffer(0).pan(), value) << "pan " << pan;
    }
}

TEST_F(Sound, LevelsAndPansReachTheOutput)
{
    DX7Sound::InitBuffers(0, half);
    struct Case
    {
        uint8_t level, pan;
        double left, right; // decibels below the file; -1000 for silence
    };
    const Case cases[] = {
        { 80, 50, -12, -12 }, { 0, 50, -60, -60 }, { 80, 35, -12, -27 }, { 80, 65, -27, -12 }, { 80, 0, -12, -1000 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.level) + " " + std::to_string(c.pan));
        DX7Sound::SetVolume(0, c.level);
        DX7Sound::SetPan(0, c.pan);
        DX7Sound::PlayBuffer(0, 1);
        const soundtest::Mix m = render(16);
        for (const auto& [out, db] : { std::pair(m.left(15), c.left), std::pair(m.right(15), c.right) }) {
            if (db == -1000) {
                EXPECT_EQ(out, 0.0f);
            } else {
                EXPECT_NEAR(soundtest::decibels(out / 0.5), db, 1e-4);
            }
        }
    }
}

TEST_F(Sound, PanAndLevelOnLoad)
{
    DX7Sound::InitBuffers(0, half);
    // Every load takes the pan and the level: pan 100 plays full right, as the knob shows.
    DX7Sound::LoadPlayBuffer(0, half, 80, 100, 1);
    soundtest::Mix m = render(16);
    EXPECT_EQ(m.left(15), 0.0f);
    EXPECT_NEAR(soundtest::decibels(m.right(15) / 0.5), -12, 1e-4);
    DX7Sound::LoadBufferLevels(0, ramp, 100, 50);
    EXPECT_EQ(buffer(0).path(), ramp);
    EXPECT_EQ(buffer(0).volume(), 0);
    EXPECT_EQ(buffer(0).pan(), 0);

    // A failed load leaves the old buffer, and the pan and level go to it.
    DX7Sound::LoadBufferLevels(0, ramp, 80, 35);
    const auto old = DX7Sound::SoundBuffers[0].Buffer;
    DX7Sound::LoadBufferLevels(0, missing, 40, 65);
    EXPECT_EQ(DX7Sound::SoundBuffers[0].Buffer, old);
    EXPECT_EQ(old->volume(), -3600);
    EXPECT_EQ(old->pan(), 1500);
    DX7Sound::LoadBufferLevels(0, missing, 100, 50);
    EXPECT_EQ(old->volume(), 0);
    EXPECT_EQ(old->pan(), 0);
    EXPECT_FALSE(old->playing());
}

TEST_F(Sound, RefusedLoadSaysWhyInOneLineAndKeepsTheOldBuffer)
{
    DX7Sound::InitBuffers(0, ramp);
    const auto old = DX7Sound::SoundBuffers[0].Buffer;
    const std::string garbage = dir.file("two\nlines.wav").toStdString();
    ASSERT_TRUE(testsupport::writeFile(QString::fromStdString(garbage), QByteArray(100, 'x')));
    testing::internal::CaptureStderr();
    DX7Sound::LoadBuffer(0, garbage);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), dir.file("two\\x0alines.wav: not a WAV file\n").toStdString());
    // Read through a held folder, the file is named by where it lies, not by the descriptor.
    const auto held = platform::fs::HeldFolder::open(QDir(dir.path()).canonicalPath().toStdString());
    testing::internal::CaptureStderr();
    DX7Sound::LoadBuffer(0, held.readPath("two\nlines.wav"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              (QDir(dir.path()).canonicalPath() + "/two\\x0alines.wav: not a WAV file\n").toStdString());
    EXPECT_EQ(DX7Sound::SoundBuffers[0].Buffer, old);
}

TEST_F(Sound, FailedLoadPlaysTheOldSoundFromWhereItStopped)
{
    DX7Sound::InitBuffers(0, ramp);
    ASSERT_TRUE(DX7Sound::PlayBuffer(0, 1));
    render(300);
    ASSERT_TRUE(DX7Sound::StopBuffer(0));
    render(50);
    const auto old = DX7Sound::SoundBuffers[0].Buffer;
    DX7Sound::LoadPlayBuffer(0, missing, 80, 50, 1);
    EXPECT_EQ(DX7Sound::SoundBuffers[0].Loaded, -1);
    EXPECT_EQ(DX7Sound::SoundBuffers[0].Buffer, old);
    EXPECT_TRUE(old->playing());
    const soundtest::Mix m = render(100);
    for (std::size_t i = 0; i < 100; ++i) {
        ASSERT_FLOAT_EQ(m.left(i), rampValue(300 + i) * Level80) << i;
    }
}

TEST_F(Sound, ReloadStartsFromTheBeginning)
{
    DX7Sound::InitBuffers(0, half);
    DX7Sound::LoadPlayBuffer(0, ramp, 100, 50, 1);
    render(300);
    DX7Sound::LoadPlayBuffer(0, ramp, 100, 50, 1);
    const soundtest::Mix m = render(100);
    for (std::size_t i = 0; i < 100; ++i) {
        ASSERT_EQ(m.left(i), rampValue(i)) << i;
    }
}

TEST_F(Sound, LayersLoadedThenStartedBeginTogether)
{
    DX7Sound::InitBuffers(10, half);
    for (int16_t layer = 0; layer < 3; ++layer) {
        DX7Sound::LoadBufferLevels(layer, ramp, 100, 50);
    }
    render(77);
    for (int16_t layer = 0; layer < 3; ++layer) {
        DX7Sound::PlayBuffer(layer, 1);
    }
    const soundtest::Mix m = render(1200);
    for (std::size_t i = 0; i < 1200; ++i) {
        ASSERT_EQ(m.left(i), 3 * rampValue(i % 1000)) << i;
    }
    EXPECT_EQ(buffer(1).startFrame(), 77u);
}

TEST_F(Sound, SlotsThatWereNeverLoadedOrDoNotExist)
{
    DX7Sound::InitBuffers(2, missing);
    ASSERT_EQ(DX7Sound::SoundBuffers.size(), 3u);
    EXPECT_EQ(DX7Sound::SoundBuffers[1].Loaded, 0);
    EXPECT_FALSE(DX7Sound::SoundBuffers[1].Buffer);
    // Nothing to do is no error; an index outside the slots is.
    EXPECT_TRUE(DX7Sound::PlayBuffer(1, 1));
    EXPECT_TRUE(DX7Sound::StopBuffer(1));
    DX7Sound::SetVolume(1, 50);
    DX7Sound::SetPan(1, 20);
    DX7Sound::LoadPlayBuffer(2, missing, 10, 10, 1);
    for (int16_t index : { int16_t(-1), int16_t(3), int16_t(32767) }) {
        EXPECT_FALSE(DX7Sound::PlayBuffer(index, 1));
        EXPECT_FALSE(DX7Sound::StopBuffer(index));
        DX7Sound::SetVolume(index, 50);
        DX7Sound::SetPan(index, 20);
        DX7Sound::LoadBuffer(index, ramp);
        DX7Sound::LoadPlayBuffer(index, ramp, 10, 10, 1);
    }
    EXPECT_EQ(DX7Sound::SoundBuffers.size(), 3u);
    const soundtest::Mix m = render(10);
    EXPECT_EQ(m.left(9), 0.0f);
    // A slot loads later all the same.
    DX7Sound::LoadBuffer(1, ramp);
    EXPECT_EQ(DX7Sound::SoundBuffers[1].Loaded, -1);
}

TEST(SoundDevice, WithoutADeviceEverythingRunsSilent)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    testsupport::TempFolder dir;
    const std::string file = dir.file("r.wav").toStdString();
    ASSERT_TRUE(soundtest::writeRamp(file, 100));
    EXPECT_FALSE(DX7Sound::InitDX(0));
    EXPECT_FALSE(DX7Sound::DS);
    DX7Sound::InitBuffers(10, file);
    EXPECT_EQ(DX7Sound::SoundBuffers.size(), 11u);
    DX7Sound::LoadPlayBuffer(0, file, 80, 35, 1);
    EXPECT_EQ(DX7Sound::SoundBuffers[0].Loaded, 0);
    EXPECT_TRUE(DX7Sound::PlayBuffer(0, 1));
    EXPECT_TRUE(DX7Sound::StopBuffer(0));
    DX7Sound::SetVolume(0, 80);
    DX7Sound::SetPan(0, 35);
    DX7Sound::Shutdown();
}

// Root mean square of one channel over frames [from, from + count).
double rms(const std::vector<float>& out, std::size_t channel, std::size_t from, std::size_t count)
{
    double sum = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        sum += double(out[2 * i + channel]) * out[2 * i + channel];
    }
    return std::sqrt(sum / double(count));
}

TEST(SoundDevice, SineThroughTheDiskDriverComesOutAtItsLevelAndPan)
{
    testsupport::TempFolder dir;
    const std::string sine = dir.file("sine.wav").toStdString();
    const std::string output = dir.file("output.raw").toStdString();
    // A cosine, so that its first frame is not silent and marks where the sound begins.
    std::vector<double> samples;
    for (int i = 0; i < 44100; ++i) {
        const double s = 0.5 * std::cos(2 * M_PI * 441 * i / 44100.0);
        samples.push_back(s);
        samples.push_back(s);
    }
    ASSERT_TRUE(soundtest::writeWav(sine, SF_FORMAT_PCM_16, 2, 44100, samples));
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", output);
    ScopedEnv delay("SDL_DISKAUDIODELAY", "1");
    ASSERT_TRUE(DX7Sound::InitDX(0));
    DX7Sound::InitBuffers(0, sine);
    DX7Sound::SetPan(0, 35);
    ASSERT_TRUE(DX7Sound::PlayBuffer(0, 1));
    // Until well over a second of the sound is written.
    const platform::SoundBuffer& b = *DX7Sound::SoundBuffers[0].Buffer;
    ASSERT_TRUE(soundtest::waitFor(
        [&] { return b.startFrame() != UINT64_MAX && DX7Sound::DS->framesMixed() > b.startFrame() + 60000; }));
    DX7Sound::Shutdown();

    // From its first sounding frame on, the sound is the file's, at its level on each side.
    const std::vector<float> out = soundtest::recording(output);
    const std::size_t start = soundtest::onset(out, 0);
    ASSERT_GE(out.size() / 2, start + 50000);
    EXPECT_NEAR(out[2 * start], 0.5 * Level80, 1e-3);
    EXPECT_NEAR(out[2 * (start + 50)], -0.5 * Level80, 1e-3);
    const double full = 0.5 / std::sqrt(2.0);
    EXPECT_NEAR(soundtest::decibels(rms(out, 0, start, 44100) / full), -12.0, 0.01);
    EXPECT_NEAR(soundtest::decibels(rms(out, 1, start, 44100) / full), -27.0, 0.01);
}

// The lines of standard error that begin with a path (SDL's drivers write lines of their own).
std::vector<std::string> linesAbout(const std::string& path, const std::string& said)
{
    std::vector<std::string> lines;
    std::istringstream in(said);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(path, 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST(SoundDevice, AWakeFromRestThatFailsSaysSoAndTheNextStartTriesAgain)
{
    testsupport::TempFolder dir;
    const std::string ramp = dir.file("ramp.wav").toStdString();
    const std::string output = dir.file("output.raw").toStdString();
    ASSERT_TRUE(soundtest::writeRamp(ramp, 1000));
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", output);
    ScopedEnv delay("SDL_DISKAUDIODELAY", "1");
    ASSERT_TRUE(DX7Sound::InitDX(0));
    DX7Sound::InitBuffers(0, ramp);
    DX7Sound::DS->setRestDelay(std::chrono::milliseconds(0));
    ASSERT_TRUE(soundtest::waitFor([] { return DX7Sound::DS->resting(); }));
    {
        // The disk driver cannot open its file, so the device cannot open again.
        ScopedEnv nowhere("SDL_DISKAUDIOFILE", dir.file("missing/output.raw").toStdString());
        testing::internal::CaptureStderr();
        EXPECT_FALSE(DX7Sound::PlayBuffer(0, 1));
        const std::vector<std::string> said = linesAbout(ramp, testing::internal::GetCapturedStderr());
        ASSERT_EQ(said.size(), 1u);
        EXPECT_EQ(said[0].rfind(ramp + ": the sound device did not open again after its rest: ", 0), 0u) << said[0];
        EXPECT_TRUE(DX7Sound::DS->resting());
    }
    testing::internal::CaptureStderr();
    EXPECT_TRUE(DX7Sound::PlayBuffer(0, 1));
    EXPECT_TRUE(linesAbout(ramp, testing::internal::GetCapturedStderr()).empty());
    EXPECT_FALSE(DX7Sound::DS->resting());
    EXPECT_TRUE(soundtest::waitFor([] { return DX7Sound::SoundBuffers[0].Buffer->startFrame() != UINT64_MAX; }));
    DX7Sound::Shutdown();
}

} // namespace
