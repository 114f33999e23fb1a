// What the sound device takes on: the sample rates it plays and makes, and how much one file may hold and
// make it read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::sounddetail {

// Sample rates a file may have; outside them playing it would be absurd.
constexpr int kLowestFileRate = 1000;
// Output rates taken from SDL; below this the filter from the highest file rate would outgrow the mix.
constexpr int kLowestOutputRate = 8000;
constexpr int kHighestRate = 384000;

// The most sample memory one decoded file may take: 512 MiB, some 50 minutes of 16-bit stereo at 44.1 kHz.
constexpr std::size_t kMaxSampleBytes = std::size_t(512) << 20;

// A load reads no more than a few times what it keeps. A file of more channels than there are speakers a
// WAV file can name (WAVE_FORMAT_EXTENSIBLE's 18; 7.1 is 8) is refused, and so is sound data past four
// times the memory cap, which is still room for 8 channels of 32 bits as long as the cap allows.
constexpr int kMaxChannels = 18;
constexpr std::uint64_t kMaxDataBytes = 4 * std::uint64_t(kMaxSampleBytes);

} // namespace platform::sounddetail
