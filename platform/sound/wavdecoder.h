// Reading a WAV file whole: interleaved stereo frames at the file's own rate.
#pragma once

#include "platform/sound/mixer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace platform::sounddetail {

struct FreeSampleMemory
{
    void operator()(void* p) const { std::free(p); }
};
// Memory from malloc, so that a finished load can give back what it did not use.
using SampleMemory = std::unique_ptr<void, FreeSampleMemory>;

// int16_t samples for files of 16 bits or fewer, float (full scale -1 to 1) for deeper ones.
enum class SampleFormat : std::uint8_t { Int16, Float };

struct DecodedSound
{
    SampleMemory samples; // interleaved left, right
    SampleFormat format = SampleFormat::Float;
    std::size_t frames = 0;
    int rate = 0; // frames per second of the file
};

// Decodes a WAV file whole. The data size the header claims is checked against the file before anything
// is allocated. On failure the result holds no samples and error says why.
DecodedSound decodeWavFile(const std::string& path, std::string* error);

} // namespace platform::sounddetail
