// Reading a WAV file whole into stereo float frames at the device's rate.
#pragma once

#include "platform/sound/mixer.h"

#include <cstddef>
#include <string>

namespace platform::sounddetail {

struct DecodedSound
{
    Samples samples;
    std::size_t frames = 0;
};

// Decodes 8, 16, 24 or 32-bit integer or float PCM, mono or stereo, and converts it to rate. The data size
// the header claims is checked against the file before anything is allocated. On failure the result holds
// no samples and error says why.
DecodedSound decodeWavFile(const std::string& path, int rate, std::string* error);

} // namespace platform::sounddetail
