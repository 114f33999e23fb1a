// WAV files made for the sound tests, and small readers of the mix.
#pragma once

#include "platform/sound/sounddevice.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace soundtest {

// Writes interleaved samples (-1 .. 1) as a WAV file in the given libsndfile subtype; false on failure.
bool writeWav(const std::string& path, int subtype, int channels, int rate, const std::vector<double>& samples);

// A stereo 16-bit 44100 Hz file whose left channel holds the frame number's ramp and whose right channel is
// its negation, so that every frame is told apart: left = (i % 4096 + 1) / 8192.
bool writeRamp(const std::string& path, int frames);
float rampValue(std::size_t frame);

// A stereo 16-bit 44100 Hz file holding one value on both channels.
bool writeConstant(const std::string& path, int frames, double value);

// Level of a gain in decibels.
double decibels(double gain);

// Frames of the mix of an offline device.
struct Mix
{
    std::vector<float> samples;
    float left(std::size_t frame) const { return samples[2 * frame]; }
    float right(std::size_t frame) const { return samples[2 * frame + 1]; }
};
Mix render(platform::SoundDevice& device, std::size_t frames);

// What SDL's disk driver wrote: interleaved left, right. It may begin with blocks of silence that SDL wrote
// before the device first ran, which the device's frame count does not hold.
std::vector<float> recording(const std::string& path);
// The first frame where the channel (0 left, 1 right) is not silent; the end when none is.
std::size_t onset(const std::vector<float>& recorded, int channel);

// Waits until a device's threads have done what is asked (without a time of its own: it gives up only after a
// minute); false if they never do.
bool waitFor(const std::function<bool()>& done);

// An environment variable set for one test, and put back as it was.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

} // namespace soundtest
