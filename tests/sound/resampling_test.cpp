// Buffers of other rates than the device's: the loop keeps its period and has no seam, and layers stay locked.
#include "platform/sound/sounddevice.h"
#include "tests/common/testsupport.h"
#include "tests/sound/soundfiles.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>

using platform::PlayLooping;
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
    };
    for (const Case c : { Case { 48000, 4800, 15000 }, Case { 16000, 1600, 5000 } }) {
        SCOPED_TRACE(c.rate);
        testsupport::TempFolder dir;
        const std::string file = dir.file("sine.wav").toStdString();
        ASSERT_TRUE(soundtest::writeWav(file, SF_FORMAT_PCM_16, 2, c.rate, sine(c.rate, c.frames, c.frequency)));
        auto device = SoundDevice::openOffline();
        auto b = device->createSoundBufferFromFile(file);
        ASSERT_TRUE(b);
        // A tenth of a second, whatever the rate.
        const std::size_t period = 4410;
        ASSERT_EQ(b->frames(), period);
        b->play(PlayLooping);
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
    a->play(PlayLooping);
    b->play(PlayLooping);
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

} // namespace
