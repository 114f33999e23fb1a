// The chunk list of a WAV file (RIFF, its big-endian form RIFX, and RF64), walked and checked by us before
// any decoder sees the file.
//
// Decoders that trust a chunk's size can be sent into endless loops or huge allocations by a few bytes of
// header. So every chunk size is checked against the end of the file, and the sub-chunks of every LIST
// chunk against the end of their list; a file that fails is refused. Only the sound data of a file written
// to a pipe or cut short may claim more than the file holds: it then runs to the end of the file, in whole
// blocks. The decoder is then given only a header made from the format chunk and the data's true size
// (cleanHeader), followed by the data itself, so nothing else in the file can reach it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform::sounddetail {

struct WavLayout
{
    bool bigEndian = false; // RIFX: every number in the header is big-endian
    std::string format; // body of the fmt chunk
    std::uint64_t dataOffset = 0; // where the sound data starts in the file
    std::uint64_t dataBytes = 0; // bytes of sound data the file really holds
    std::optional<std::uint32_t> factFrames; // frames the fact chunk names (compressed data pads its last block)

    // The format chunk's channel count and sample rate.
    int channels() const;
    std::uint32_t sampleRate() const;
    // WAVE_FORMAT_EXTENSIBLE's speaker mask; 0 without one.
    std::uint32_t channelMask() const;
    // Frames one block of compressed data holds, by the format chunk.
    std::uint32_t blockFrames() const;
    // A RIFF (or RIFX) header of the fmt chunk and the data chunk's header, with the true data size: these
    // bytes followed by the data are a clean WAV file.
    std::string cleanHeader() const;
};

// Walks the chunks of the open file of fileSize bytes. Without a fmt and a data chunk, or with any chunk
// that does not fit, returns nothing and says why.
std::optional<WavLayout> readWavLayout(int fd, std::uint64_t fileSize, std::string& why);

} // namespace platform::sounddetail
