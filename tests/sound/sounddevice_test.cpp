// The sound device: mixing, looping, stop and play, gains, aligned starts, and the real SDL device.
#include "platform/sound/sounddevice.h"
#include "tests/common/testsupport.h"
#include "tests/sound/soundfiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sndfile.h>
#include <thread>

using platform::kPlayLooping;
using platform::SoundBuffer;
using platform::SoundDevice;
using soundtest::rampValue;
using soundtest::ScopedEnv;
using soundtest::waitFor;

namespace {

class OfflineDevice : public ::testing::Test
{
protected:
    std::string path(const std::string& name) const { return dir.file(QString::fromStdString(name)).toStdString(); }

    std::shared_ptr<SoundBuffer> ramp(int frames, SoundDevice* on = nullptr)
    {
        const std::string p = path("ramp" + std::to_string(frames) + ".wav");
        EXPECT_TRUE(soundtest::writeRamp(p, frames));
        return (on ? on : device.get())->createSoundBufferFromFile(p);
    }

    std::shared_ptr<SoundBuffer> constant(double value)
    {
        const std::string p = path("constant.wav");
        EXPECT_TRUE(soundtest::writeConstant(p, 4410, value));
        return device->createSoundBufferFromFile(p);
    }

    // Expects frames [from, from + count) of the mix to be the ramp from position at.
    static void expectRamp(const soundtest::Mix& mix, std::size_t from, std::size_t count, std::size_t at,
                           std::size_t length)
    {
        for (std::size_t i = 0; i < count; ++i) {
            const float want = rampValue((at + i) % length);
            ASSERT_EQ(mix.left(from + i), want) << "frame " << from + i;
            ASSERT_EQ(mix.right(from + i), -want) << "frame " << from + i;
        }
    }

    static void expectSilence(const soundtest::Mix& mix, std::size_t from, std::size_t count)
    {
        for (std::size_t i = from; i < from + count; ++i) {
            ASSERT_EQ(mix.left(i), 0.0f) << "frame " << i;
            ASSERT_EQ(mix.right(i), 0.0f) << "frame " << i;
        }
    }

    testsupport::TempFolder dir;
    std::unique_ptr<SoundDevice> device = SoundDevice::openOffline();
};

TEST_F(OfflineDevice, NewBufferIsStoppedAtItsStartAtFullVolumeAndCentre)
{
    auto b = ramp(1000);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->path(), path("ramp1000.wav"));
    EXPECT_EQ(b->frames(), 1000u);
    EXPECT_EQ(b->volume(), 0);
    EXPECT_EQ(b->pan(), 0);
    EXPECT_FALSE(b->playing());
    expectSilence(soundtest::render(*device, 300), 0, 300);

    ASSERT_TRUE(b->play(kPlayLooping));
    EXPECT_TRUE(b->playing());
    expectRamp(soundtest::render(*device, 500), 0, 500, 0, 1000);
    EXPECT_EQ(b->startFrame(), 300u);
    EXPECT_EQ(b->startPosition(), 0u);
}

TEST_F(OfflineDevice, LoopRepeatsWithThePeriodOfItsLength)
{
    auto b = ramp(1000);
    b->play(kPlayLooping);
    // Renders of odd sizes cross the seam inside a block and at its edge.
    soundtest::Mix a = soundtest::render(*device, 1000);
    soundtest::Mix c = soundtest::render(*device, 2337);
    expectRamp(a, 0, 1000, 0, 1000);
    expectRamp(c, 0, 2337, 0, 1000);
}

TEST_F(OfflineDevice, WithoutLoopingPlaysOnceAndThenFromTheStartAgain)
{
    auto b = ramp(1000);
    b->play(0);
    soundtest::Mix m = soundtest::render(*device, 1500);
    expectRamp(m, 0, 1000, 0, 1000);
    expectSilence(m, 1000, 500);
    b->play(0);
    expectRamp(soundtest::render(*device, 100), 0, 100, 0, 1000);
}

TEST_F(OfflineDevice, StopKeepsThePositionAndPlayGoesOnFromIt)
{
    auto b = ramp(1000);
    b->play(kPlayLooping);
    soundtest::render(*device, 1300);
    ASSERT_TRUE(b->stop());
    EXPECT_FALSE(b->playing());
    expectSilence(soundtest::render(*device, 100), 0, 100);
    b->play(kPlayLooping);
    expectRamp(soundtest::render(*device, 900), 0, 900, 300, 1000);
    EXPECT_EQ(b->startPosition(), 300u);

    // Play on a playing buffer goes on without a restart.
    b->play(kPlayLooping);
    expectRamp(soundtest::render(*device, 50), 0, 50, 200, 1000);
    // Stop and play before the next block: nothing lost, nothing repeated.
    b->stop();
    b->play(kPlayLooping);
    expectRamp(soundtest::render(*device, 50), 0, 50, 250, 1000);
}

TEST_F(OfflineDevice, VolumeAndPanSetTheGainOfEachChannel)
{
    auto b = constant(0.5);
    b->play(kPlayLooping);
    struct Case
    {
        int volume, pan;
        double left, right; // decibels; -1000 for silence
    };
    const Case cases[] = {
        { 0, 0, 0, 0 },
        { -1200, 0, -12, -12 },
        { -6000, 0, -60, -60 },
        { -1200, -1500, -12, -27 },
        { -1200, 1500, -27, -12 },
        { 0, -10000, 0, -1000 },
        { 0, 10000, -1000, 0 },
        { -6000, -4900, -60, -1000 }, // attenuations past -100 dB are silence
        { -10000, 0, -1000, -1000 },
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(b->setPan(c.pan));
        ASSERT_TRUE(b->setVolume(c.volume));
        const soundtest::Mix m = soundtest::render(*device, 64);
        const auto expect = [](float out, double db) {
            if (db == -1000) {
                EXPECT_EQ(out, 0.0f);
            } else {
                EXPECT_NEAR(soundtest::decibels(out / 0.5), db, 1e-4);
            }
        };
        SCOPED_TRACE(std::to_string(c.volume) + " " + std::to_string(c.pan));
        expect(m.left(63), c.left);
        expect(m.right(63), c.right);
    }
}

TEST_F(OfflineDevice, RefusedVolumeOrPanKeepsTheSetting)
{
    auto b = constant(0.5);
    b->play(kPlayLooping);
    b->setVolume(-1200);
    b->setPan(-1500);
    EXPECT_FALSE(b->setVolume(1));
    EXPECT_FALSE(b->setVolume(-10001));
    EXPECT_FALSE(b->setPan(10001));
    EXPECT_FALSE(b->setPan(-10001));
    EXPECT_EQ(b->volume(), -1200);
    EXPECT_EQ(b->pan(), -1500);
    const soundtest::Mix m = soundtest::render(*device, 8);
    EXPECT_NEAR(soundtest::decibels(m.left(7) / 0.5), -12, 1e-4);
    EXPECT_NEAR(soundtest::decibels(m.right(7) / 0.5), -27, 1e-4);
}

TEST_F(OfflineDevice, StartsIssuedTogetherBeginOnTheSameFrame)
{
    // A device that aims starts one block ahead, with a block mixed between the first start and the others,
    // as when the audio thread runs while the UI thread issues them.
    device = SoundDevice::openOffline(64);
    auto a = ramp(1000);
    auto b = ramp(700);
    auto c = ramp(333);
    a->play(kPlayLooping);
    soundtest::render(*device, 64);
    b->play(kPlayLooping);
    c->play(kPlayLooping);
    const soundtest::Mix m = soundtest::render(*device, 64);
    EXPECT_EQ(a->startFrame(), 64u);
    EXPECT_EQ(b->startFrame(), 64u);
    EXPECT_EQ(c->startFrame(), 64u);
    for (std::size_t i = 0; i < 64; ++i) {
        ASSERT_FLOAT_EQ(m.left(i), 3 * rampValue(i)) << i;
    }
    EXPECT_EQ(device->lateStarts(), 0u);

    // Once that frame has come, a start gets a frame of its own.
    // (A second play after the stop keeps the stop: the start is still afresh.)
    c->stop();
    c->play(kPlayLooping);
    c->play(kPlayLooping);
    soundtest::render(*device, 128);
    EXPECT_EQ(c->startFrame(), 192u);
    EXPECT_EQ(c->startPosition(), 64u);
}

TEST_F(OfflineDevice, DroppedBufferFallsSilent)
{
    auto b = ramp(1000);
    b->play(kPlayLooping);
    soundtest::render(*device, 10);
    b.reset();
    expectSilence(soundtest::render(*device, 10), 0, 10);
}

TEST_F(OfflineDevice, TheLastOfThousandsOfLevelsIsTheOneHeard)
{
    auto b = constant(0.5);
    b->play(kPlayLooping);
    for (int i = 0; i < 5000; ++i) {
        b->setVolume(-(i % 6000));
    }
    b->setVolume(-600);
    const soundtest::Mix m = soundtest::render(*device, 4);
    EXPECT_NEAR(soundtest::decibels(m.left(3) / 0.5), -6, 1e-4);
}

TEST_F(OfflineDevice, BuffersOutliveTheirDeviceHandle)
{
    auto b = ramp(100);
    device.reset();
    EXPECT_TRUE(b->play(kPlayLooping));
    EXPECT_TRUE(b->setVolume(-100));
    EXPECT_TRUE(b->stop());
}

TEST_F(OfflineDevice, MixIsClippedToFullScale)
{
    auto a = constant(0.75);
    auto b = constant(0.75);
    a->play(kPlayLooping);
    b->play(kPlayLooping);
    const soundtest::Mix m = soundtest::render(*device, 4);
    EXPECT_EQ(m.left(0), 1.0f);
    EXPECT_EQ(m.right(3), 1.0f);
}

TEST(SdlDevice, OpensTheDefaultDeviceOfTheChosenDriver)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    std::string error;
    auto device = SoundDevice::open("", &error);
    ASSERT_TRUE(device) << error;
    EXPECT_FALSE(device->offline());
    float out[4];
    EXPECT_FALSE(device->render(out, 2));

    testsupport::TempFolder dir;
    const std::string file = dir.file("ramp.wav").toStdString();
    ASSERT_TRUE(soundtest::writeRamp(file, 500));
    // Buffers come and go while the audio thread mixes them.
    std::shared_ptr<SoundBuffer> b;
    for (int i = 0; i < 300; ++i) {
        auto next = device->createSoundBufferFromFile(file);
        ASSERT_TRUE(next);
        EXPECT_TRUE(next->setPan(i * 10 - 1500));
        EXPECT_TRUE(next->play(kPlayLooping));
        if (i % 3 == 0) {
            EXPECT_TRUE(next->stop());
            EXPECT_TRUE(next->play(kPlayLooping));
        }
        b = next;
    }
    // The last start sounds on the audio thread.
    EXPECT_TRUE(waitFor([&] { return b->startFrame() != UINT64_MAX; }));
    EXPECT_GE(device->framesMixed(), b->startFrame());
}

// A real device on SDL's disk driver (a block a millisecond), whose output a test reads back.
class DiskDevice : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(device);
        // However long the machine holds this thread up, starts issued one after the other belong together.
        device->setJoinWindow(std::chrono::hours(1));
    }

    // The output since the device last woke, once the buffers are gone: interleaved left, right.
    std::vector<float> recorded()
    {
        device.reset();
        return soundtest::recording(output);
    }

    testsupport::TempFolder dir;
    const std::string output = dir.file("output.raw").toStdString();
    ScopedEnv driver { "SDL_AUDIODRIVER", "disk" };
    ScopedEnv file { "SDL_DISKAUDIOFILE", output };
    ScopedEnv delay { "SDL_DISKAUDIODELAY", "1" };
    std::unique_ptr<SoundDevice> device = SoundDevice::open("");
};

TEST_F(DiskDevice, StartsComeThroughThousandsOfRequestsAndAfterARest)
{
    const std::string half = dir.file("half.wav").toStdString();
    const std::string quarter = dir.file("quarter.wav").toStdString();
    ASSERT_TRUE(soundtest::writeConstant(half, 4410, 0.5));
    ASSERT_TRUE(soundtest::writeWav(quarter, SF_FORMAT_PCM_16, 2, 48000, std::vector<double>(2 * 4800, 0.25)));
    auto a = device->createSoundBufferFromFile(half);
    auto b = device->createSoundBufferFromFile(quarter);
    ASSERT_TRUE(a && b);

    // While the device runs, a start sent after thousands of requests sounds without another call, from
    // its beginning.
    a->play(kPlayLooping);
    EXPECT_FALSE(device->resting());
    for (int i = 0; i < 5000; ++i) {
        a->setVolume(-(i % 6000));
        a->play(kPlayLooping);
    }
    // (Its level first: a start of its own, not one held up behind a's last.)
    b->setVolume(0);
    b->play(kPlayLooping);
    ASSERT_TRUE(waitFor([&] { return b->startFrame() != UINT64_MAX; }));
    EXPECT_EQ(b->startPosition(), 0u);

    // Soon after the last stop the device rests: no block is mixed any more.
    a->stop();
    b->stop();
    ASSERT_TRUE(waitFor([&] { return device->resting(); }));

    // Starts issued together wake it and sound together, at the latest level: on the same frame, or, when the
    // machine held this thread up past that frame, b as far in as a from the block that takes it.
    const std::uint64_t lateBefore = device->lateStarts();
    a->setVolume(-600);
    a->play(kPlayLooping);
    b->play(kPlayLooping);
    ASSERT_TRUE(waitFor([&] {
        return b->startFrame() != UINT64_MAX && device->framesMixed() > b->startFrame() + 4096;
    }));
    const std::size_t late = b->startFrame() - a->startFrame();
    EXPECT_TRUE(late == 0 || device->lateStarts() > lateBefore) << late;
    a.reset();
    b.reset();

    // The output since the device woke: silence, then both from the same frame (a alone while b was late).
    const std::vector<float> out = recorded();
    const std::size_t start = soundtest::onset(out, 0);
    ASSERT_GE(out.size() / 2, start + late + 4096);
    const float alone = 0.5f * float(std::pow(10.0, -600 / 2000.0));
    for (std::size_t i = start; i < start + late + 4096; ++i) {
        ASSERT_NEAR(out[2 * i], i < start + late ? alone : alone + 0.25f, 1e-5) << i - start;
    }
}

TEST_F(DiskDevice, StartsHeldUpBetweenEachOtherStayTogether)
{
    const std::string ramp = dir.file("ramp.wav").toStdString();
    ASSERT_TRUE(soundtest::writeRamp(ramp, 4000));
    auto a = device->createSoundBufferFromFile(ramp);
    auto b = device->createSoundBufferFromFile(ramp);
    ASSERT_TRUE(a && b);
    a->setPan(-10000); // the left channel is a's ramp
    b->setPan(10000); // the right one b's, negated
    // The second start comes only once the first has sounded: blocks after it.
    a->play(kPlayLooping);
    ASSERT_TRUE(waitFor([&] { return a->startFrame() != UINT64_MAX && device->framesMixed() > a->startFrame(); }));
    b->play(kPlayLooping);
    ASSERT_TRUE(waitFor([&] {
        return b->startFrame() != UINT64_MAX && device->framesMixed() > b->startFrame() + 4096;
    }));
    EXPECT_GT(b->startFrame(), a->startFrame());
    EXPECT_GE(device->lateStarts(), 1u);
    a.reset();
    b.reset();
    // From where b begins, it is as far into its ramp as a.
    const std::vector<float> out = recorded();
    const std::size_t from = soundtest::onset(out, 1);
    ASSERT_GT(from, soundtest::onset(out, 0));
    ASSERT_GE(out.size() / 2, from + 4096);
    for (std::size_t i = from; i < from + 4096; ++i) {
        ASSERT_EQ(out[2 * i + 1], -out[2 * i]) << i - from;
    }
}

TEST(SdlDevice, NoDeviceFailsCleanly)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    std::string error;
    EXPECT_FALSE(SoundDevice::open("", &error));
    EXPECT_FALSE(error.empty());

    ScopedEnv dummy("SDL_AUDIODRIVER", "dummy");
    EXPECT_FALSE(SoundDevice::open("no such device", &error));
}

} // namespace
