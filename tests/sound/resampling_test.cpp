// Buffers of other rates than the device's: the loop keeps its period and has no seam, and layers stay locked.
#include "platform/sound/mixer.h"
#include "platform/sound/sounddevice.h"
#include "platform/sound/voice.h"
#include "tests/common/testsupport.h"
#include "tests/sound/soundfiles.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>

using platform::kPlayLooping;
using platform::SoundDevice;

namespace {

std::vector<double> sine(int rate, int frames, double frequency)
{
    std::vector<double> s;
    for (int i = 0; i < frames; ++i) {
        const double v = 0.5 * std::sin(2 * M_PI * frequency * i / rate);
        s.push_back(v);
        s.push_back(v);
    }
    return s;
}

TEST(Resampling, LoopOfAnotherRateKeepsItsPeriodAndHasNoSeam)
{
    struct Case
    {
        int rate, frames;
        double frequency; // whole cycles in the loop
        int subtype; // 16-bit files stay 16-bit, deeper ones become float
    };
    // (At 44099 Hz the fractions of a position are too many for a row each: the rows are interpolated.)
    for (const Case c : { Case { 48000, 4800, 15000, SF_FORMAT_PCM_16 }, Case { 16000, 1600, 5000, SF_FORMAT_PCM_16 },
                          Case { 48000, 4800, 3000, SF_FORMAT_PCM_24 }, Case { 44099, 44099, 12000, SF_FORMAT_PCM_16 } }) {
        SCOPED_TRACE(std::to_string(c.rate) + " " + std::to_string(c.subtype));
        testsupport::TempFolder dir;
        const std::string file = dir.file("sine.wav").toStdString();
        ASSERT_TRUE(soundtest::writeWav(file, c.subtype, 2, c.rate, sine(c.rate, c.frames, c.frequency)));
        auto device = SoundDevice::openOffline();
        auto b = device->createSoundBufferFromFile(file);
        ASSERT_TRUE(b);
        // A whole number of output frames.
        const std::size_t period = std::size_t(c.frames) * 44100 / std::size_t(c.rate);
        ASSERT_EQ(b->frames(), period);
        b->play(kPlayLooping);
        const soundtest::Mix m = soundtest::render(*device, 3 * period);

        // Each pass comes out the same, to the bit.
        for (std::size_t n = 0; n < 2 * period; ++n) {
            ASSERT_EQ(m.left(n), m.left(n + period)) << n;
        }
        // It is the sine at its level, right up to the seam and across it.
        double signal = 0;
        double error = 0;
        double step = 0;
        for (std::size_t n = 0; n < 2 * period; ++n) {
            const double want = 0.5 * std::sin(2 * M_PI * c.frequency * double(n) / 44100.0);
            signal += want * want;
            error += (m.left(n) - want) * (m.left(n) - want);
            if (n > 0 && n != period) {
                step = std::max(step, double(std::fabs(m.left(n) - m.left(n - 1))));
            }
        }
        EXPECT_GT(10 * std::log10(signal / error), 80.0);
        EXPECT_LE(std::fabs(m.left(period) - m.left(period - 1)), step);
    }
}

TEST(Resampling, PassbandReachesTheOutputAtItsLevel)
{
    // Loops of whole cycles at 0.44 x the lower rate, where the filter promises 0.001 dB.
    struct Case
    {
        int rate, frames;
        double frequency;
    };
    for (const Case c : { Case { 48000, 4800, 19400 }, Case { 16000, 1600, 7040 } }) {
        SCOPED_TRACE(c.rate);
        testsupport::TempFolder dir;
        const std::string file = dir.file("edge.wav").toStdString();
        ASSERT_TRUE(soundtest::writeWav(file, SF_FORMAT_FLOAT, 2, c.rate, sine(c.rate, c.frames, c.frequency)));
        auto device = SoundDevice::openOffline();
        auto b = device->createSoundBufferFromFile(file);
        ASSERT_TRUE(b);
        b->play(kPlayLooping);
        const std::size_t period = b->frames();
        const soundtest::Mix m = soundtest::render(*device, 2 * period);
        double power = 0;
        for (std::size_t n = period; n < 2 * period; ++n) {
            power += double(m.left(n)) * m.left(n);
        }
        EXPECT_NEAR(10 * std::log10(power / double(period) / 0.125), 0.0, 0.001);
    }
}

TEST(Resampling, LayersOfOtherRatesStayLocked)
{
    testsupport::TempFolder dir;
    const std::string low = dir.file("low.wav").toStdString();
    const std::string high = dir.file("high.wav").toStdString();
    // One loop of 8683 frames at 16 kHz, and one twice as long at 48 kHz: neither a whole number of output frames.
    ASSERT_TRUE(soundtest::writeWav(low, SF_FORMAT_PCM_16, 2, 16000, std::vector<double>(2 * 8683, 0.1)));
    ASSERT_TRUE(soundtest::writeWav(high, SF_FORMAT_PCM_16, 2, 48000, std::vector<double>(2 * 52098, 0.1)));
    auto device = SoundDevice::openOffline();
    auto a = device->createSoundBufferFromFile(low);
    auto b = device->createSoundBufferFromFile(high);
    ASSERT_TRUE(a && b);
    a->play(kPlayLooping);
    b->play(kPlayLooping);
    // A minute of output: each time the long loop comes round, the short one comes round on the same frame.
    std::uint64_t last = UINT64_MAX;
    int rounds = 0;
    for (int block = 0; block < 60 * 44100 / 4096; ++block) {
        soundtest::render(*device, 4096);
        if (b->loopFrame() != last) {
            last = b->loopFrame();
            ASSERT_EQ(a->loopFrame(), last) << "round " << rounds;
            ++rounds;
        }
    }
    EXPECT_GE(rounds, 50);
}

TEST(Resampling, SinglePlayEndsInSilenceAndStartsAgainFromItsBeginning)
{
    testsupport::TempFolder dir;
    const std::string file = dir.file("once.wav").toStdString();
    ASSERT_TRUE(soundtest::writeWav(file, SF_FORMAT_PCM_16, 2, 48000, std::vector<double>(2 * 4800, 0.5)));
    auto device = SoundDevice::openOffline();
    auto b = device->createSoundBufferFromFile(file);
    ASSERT_TRUE(b);
    b->play(0);
    const soundtest::Mix once = soundtest::render(*device, 2 * 4410);
    EXPECT_NEAR(once.left(2000), 0.5, 1e-4);
    for (std::size_t n = 4410; n < 2 * 4410; ++n) {
        ASSERT_EQ(once.left(n), 0.0f) << n;
    }
    b->play(0);
    const soundtest::Mix again = soundtest::render(*device, 4410);
    EXPECT_EQ(b->startPosition(), 0u);
    EXPECT_EQ(again.left(2000), once.left(2000));
}

// A voice of a 48 kHz loop whose left channel is a ramp, as the mixer sees it.
platform::sounddetail::Voice* rampVoice(std::shared_ptr<const platform::sounddetail::Resampler> resampler)
{
    platform::sounddetail::DecodedSound sound;
    sound.format = platform::sounddetail::SampleFormat::Float;
    sound.frames = 4800;
    sound.rate = 48000;
    sound.samples.reset(std::malloc(sound.frames * 2 * sizeof(float)));
    auto* s = static_cast<float*>(sound.samples.get());
    for (std::size_t i = 0; i < sound.frames; ++i) {
        s[2 * i] = s[2 * i + 1] = float(i) / float(sound.frames);
    }
    return new platform::sounddetail::Voice(std::move(sound), std::move(resampler));
}

TEST(Resampling, StartThatReachesTheMixLateStaysWithItsPartners)
{
    using platform::sounddetail::Request;
    auto resampler = std::make_shared<const platform::sounddetail::Resampler>(48000, 44100);
    platform::sounddetail::Mixer onTime(0);
    platform::sounddetail::Mixer late(0);
    auto* a = rampVoice(resampler);
    auto* b = rampVoice(resampler);
    onTime.add(a);
    late.add(b);
    std::vector<float> outA(2 * 2048);
    std::vector<float> outB(2 * 2048);
    // Both aim at frame 700; the second start reaches its mix only after the block that holds that frame.
    a->request.store(Request { 1, true, true, true, 700 }.pack());
    onTime.mix(outA.data(), 1024);
    late.mix(outB.data(), 1024);
    b->request.store(Request { 1, true, true, true, 700 }.pack());
    onTime.mix(outA.data(), 2048);
    late.mix(outB.data(), 2048);
    EXPECT_EQ(late.lateStarts(), 1u);
    EXPECT_EQ(b->startedFrame.load(), 1024u);
    EXPECT_EQ(outB, outA);
}

} // namespace
