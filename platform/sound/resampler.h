// Rate conversion inside the mix: a band-limited interpolator (a polyphase windowed sinc) through which a
// voice plays its file at the file's own rate on a device of another rate.
//
// A voice's position moves by fileRate / deviceRate file frames per output frame. It is kept exactly, as a
// whole frame and a fraction counted in 1/deviceRate, so a loop of N frames at R Hz lasts exactly N / R
// seconds on average however long it plays, and loops whose lengths are in proportion stay locked.
//
// The sound at a position p (whole frame i, fraction f) is read from the taps() file frames
// i - tapsBefore() .. i + taps() - tapsBefore() - 1. Counted in the lower of the two rates, the filter passes
// everything below 0.44 within 0.001 dB (0.45: -0.02 dB), is 6 dB down at 0.5, and takes out everything
// above 0.56, where aliases and images would lie, by 93 dB or more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::sounddetail {

class Resampler
{
public:
    // UI thread: designs the filter for a file rate and a device rate that differ.
    Resampler(int fileRate, int deviceRate);

    std::size_t taps() const { return m_taps; }
    std::size_t tapsBefore() const { return m_taps / 2 - 1; }

    // File frames that count output frames move a position with the given fraction by.
    std::uint64_t advance(std::uint32_t fraction, std::uint64_t count) const
    {
        return (fraction + count * m_fileRate) / m_deviceRate;
    }
    // The fraction after those frames.
    std::uint32_t fractionAfter(std::uint32_t fraction, std::uint64_t count) const
    {
        return static_cast<std::uint32_t>((fraction + count * m_fileRate) % m_deviceRate);
    }
    // Output frames from a position (whole frame 0, fraction) until the position reaches the file frame
    // `frame` (0 when it is there already).
    std::uint64_t framesUntil(std::uint32_t fraction, std::uint64_t frame) const
    {
        const std::uint64_t distance = frame * m_deviceRate;
        return distance <= fraction ? 0 : (distance - fraction + m_fileRate - 1) / m_fileRate;
    }

    // Audio thread: adds count output frames, times the gains, into out (interleaved stereo). left[0] and
    // right[0] are the first tap of the first frame, whose position has the given fraction; the arrays hold
    // at least advance(fraction, count - 1) + taps() frames.
    void mixInto(float* out, std::size_t count, const float* left, const float* right, std::uint32_t fraction,
                 float gainLeft, float gainRight) const;

    // Memory the filter takes.
    std::size_t tableBytes() const;

private:
    std::uint32_t m_fileRate;
    std::uint32_t m_deviceRate;
    // Fractions come in multiples of this.
    std::uint32_t m_unit;
    std::size_t m_taps = 0;
    // Rows of taps() coefficients: one for each fraction that occurs, or, for rates whose fractions are too
    // many, for evenly spaced fractions, with the slopes that lead to the next row.
    bool m_interpolated = false;
    std::vector<float> m_rows;
    std::vector<float> m_slopes;
};

} // namespace platform::sounddetail
