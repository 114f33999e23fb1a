// Reading a WAV file whole: interleaved stereo frames at the file's own rate.
//
// Every encoding libsndfile decodes inside a WAV file loads (PCM of 8 to 32 bits, float, double, A-law,
// u-law, IMA and MS ADPCM, GSM 6.10, G.721/G.723, MPEG), from RIFF, RIFX and RF64 files. The chunk list is
// checked by us first (riffchunks.h), so no file can make the decoder loop or allocate what the file does
// not hold. A file written to a pipe or cut short plays what it holds.
//
// More than two channels are mixed down to stereo by the speaker of each channel: the speaker mask of a
// WAVE_FORMAT_EXTENSIBLE header, or else the usual layout for the channel count (3: L R C; 4: L R BL BR;
// 5: L R C BL BR; 6: L R C LFE BL BR; 7: L R C LFE BC SL SR; 8: L R C LFE BL BR SL SR). Left and right
// speakers in front go whole to their side; centre speakers go at -3 dB into both sides; side, back and top
// speakers at -3 dB into their side; LFE is left out; a channel without a known speaker counts as centre. A
// file of more channels than there are speakers to name (soundlimits.h) is refused.
// Nothing is scaled down, so 16-bit sums that pass full scale are clipped.
#pragma once

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

// int16_t samples for files of 16 bits or fewer (and their compressed forms), float (full scale -1 to 1)
// for deeper ones. Samples that are not a number or infinite are silence.
enum class SampleFormat : std::uint8_t { Int16, Float };

struct DecodedSound
{
    SampleMemory samples; // interleaved left, right
    SampleFormat format = SampleFormat::Float;
    std::size_t frames = 0;
    int rate = 0; // frames per second of the file
};

// Decodes a WAV file whole. On failure the result holds no samples and error says why. A file that would take
// more than the limits of soundlimits.h is refused before any of its sound is read.
DecodedSound decodeWavFile(const std::string& path, std::string* error);

} // namespace platform::sounddetail
