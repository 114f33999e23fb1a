// WAV files made for the sound tests, and small readers of the mix.
#pragma once

#include "platform/sound/sounddevice.h"

#include <cstdint>
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

} // namespace soundtest
