// One buffer as the mixer sees it: the decoded file as it is, at its own rate, and the state of playing it.
// Created and freed on the UI thread; between, the audio thread reads its samples and owns its play state.
#pragma once

#include "platform/sound/resampler.h"
#include "platform/sound/wavdecoder.h"

#include <atomic>
#include <bit>
#include <cstdint>
#include <memory>

namespace platform::sounddetail {

constexpr std::uint64_t kNotYet = UINT64_MAX;

// A start or a stop from the UI thread, in one word so that the audio thread reads it whole. Each request
// carries a new count, so that the audio thread sees every change even when the word repeats an old one.
struct Request
{
    static constexpr int kCountBits = 21;
    static constexpr std::uint32_t kCountMask = (1u << kCountBits) - 1;

    std::uint32_t count = 0;
    bool play = false;
    bool looping = false;
    // A start that follows a stop the audio thread may not have seen: it starts over even if the voice plays.
    bool fresh = false;
    std::uint64_t target = 0; // output frame the start aims at

    std::uint64_t pack() const
    {
        return (target & kTargetMask) | std::uint64_t(play) << 40 | std::uint64_t(looping) << 41
            | std::uint64_t(fresh) << 42 | std::uint64_t(count & kCountMask) << 43;
    }
    static Request unpack(std::uint64_t word)
    {
        return { static_cast<std::uint32_t>(word >> 43), ((word >> 40) & 1) != 0, ((word >> 41) & 1) != 0,
                 ((word >> 42) & 1) != 0, word & kTargetMask };
    }

private:
    // Frames since the device last woke: years at any rate.
    static constexpr std::uint64_t kTargetMask = (std::uint64_t(1) << 40) - 1;
};

struct Voice
{
    Voice(DecodedSound sound, std::shared_ptr<const Resampler> converter)
        : samples(std::move(sound.samples)), format(sound.format), frames(sound.frames), rate(sound.rate),
          resampler(std::move(converter))
    { }

    const SampleMemory samples; // interleaved stereo
    const SampleFormat format;
    const std::size_t frames;
    const int rate;
    // Empty when the file plays at the device's rate.
    const std::shared_ptr<const Resampler> resampler;

    // Written by the UI thread; the audio thread reads them at the start of each block.
    std::atomic<std::uint64_t> request { 0 };
    std::atomic<std::uint64_t> gains { packGains(1.0f, 1.0f) };
    std::atomic<bool> dropped { false };
    Voice* addedNext = nullptr; // link in the voices added since the audio thread last took them

    // UI thread only.
    std::uint32_t requests = 0; // count of the last request
    std::uint32_t lastStop = 0; // count of the last stop
    bool requestedPlay = false;

    // Audio thread only.
    std::uint64_t takenRequest = 0;
    std::size_t position = 0;
    std::uint32_t fraction = 0; // of a file frame, in 1/deviceRate
    std::uint64_t startAt = 0;
    bool playing = false;
    bool pending = false;
    bool looping = false;
    Voice* next = nullptr;

    // Reported by the audio thread: the count of the last request it took, the output frame on which the
    // last start sounded with the file frame it sounded from, and the output frame on which a loop last came
    // round to its beginning.
    std::atomic<std::uint32_t> seen { 0 };
    std::atomic<std::uint64_t> startedFrame { kNotYet };
    std::atomic<std::uint64_t> startedPosition { kNotYet };
    std::atomic<std::uint64_t> loopFrame { kNotYet };
    Voice* retiredNext = nullptr; // link in the voices the audio thread has let go of

    static std::uint64_t packGains(float left, float right)
    {
        return std::uint64_t(std::bit_cast<std::uint32_t>(left)) | std::uint64_t(std::bit_cast<std::uint32_t>(right))
            << 32;
    }
    static float leftGain(std::uint64_t word) { return std::bit_cast<float>(static_cast<std::uint32_t>(word)); }
    static float rightGain(std::uint64_t word) { return std::bit_cast<float>(static_cast<std::uint32_t>(word >> 32)); }
};

} // namespace platform::sounddetail
