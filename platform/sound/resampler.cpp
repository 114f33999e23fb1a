#include "platform/sound/resampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace platform::sounddetail {

namespace {

// Taps when the file is at the lower rate; a file above the device's rate needs proportionally more.
constexpr double kBaseTaps = 48;
// No more than this many, whatever the rates (the mixer's scratch holds more).
constexpr std::size_t kMaxTaps = 4096;
// Cutoff as a share of the lower rate, and the Kaiser window's shape (about 90 dB of stopband).
constexpr double kCutoff = 0.5;
constexpr double kKaiserBeta = 9.0;
// A position's fraction is always a multiple of gcd(file rate, device rate), so the fractions that occur are
// few for usual rates (147 from 48 to 44.1 kHz): each gets a row of its own. Past this many, evenly spaced
// rows are interpolated instead.
constexpr std::size_t kMaxExactRows = 1024;
constexpr std::size_t kPhases = 256;
// Taps come in multiples of this, summed as vectors of this many floats.
constexpr std::size_t kLanes = 8;

// Modified Bessel function of the first kind, order 0.
double besselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 60 && term > sum * 1e-17; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

// Vector code is built twice on x86-64: for processors with AVX2 and FMA, and for the rest; the loader
// picks one when the program starts.
#if defined(__x86_64__) && defined(__GNUC__)
#define CORVADEL_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define CORVADEL_VECTOR_CLONES
#endif

struct Frames
{
    float* out;
    std::size_t count;
    const float* left;
    const float* right;
    float gainLeft;
    float gainRight;
};

// How the position moves: by `whole` frames and `part` of `rows` per output frame, from `at` of `rows`.
struct Steps
{
    std::uint32_t at;
    std::uint32_t whole;
    std::uint32_t part;
    std::uint32_t rows;
};

// Eight floats, as one vector register (or two, without AVX). Loaded with memcpy: the arrays are not
// aligned to them.
using Vector = float __attribute__((vector_size(kLanes * sizeof(float))));

// Audio thread: the inner loop of Resampler::mixInto, with a row of coefficients for each fraction
// (Interpolated false) or interpolated between evenly spaced rows (true).
template<bool Interpolated>
inline __attribute__((always_inline)) void addFrames(Frames f, Steps s, const float* table, const float* slopes,
                                                     std::size_t taps)
{
    const double toPhase = double(kPhases) / double(s.rows);
    for (std::size_t n = 0; n < f.count; ++n) {
        Vector left {};
        Vector right {};
        if constexpr (Interpolated) {
            const double x = double(s.at) * toPhase;
            const auto phase = static_cast<std::size_t>(x);
            const auto t = static_cast<float>(x - double(phase));
            const float* row = table + phase * taps;
            const float* slope = slopes + phase * taps;
            for (std::size_t k = 0; k < taps; k += kLanes) {
                Vector c;
                Vector d;
                Vector l;
                Vector r;
                std::memcpy(&c, row + k, sizeof c);
                std::memcpy(&d, slope + k, sizeof d);
                std::memcpy(&l, f.left + k, sizeof l);
                std::memcpy(&r, f.right + k, sizeof r);
                c += t * d;
                left += c * l;
                right += c * r;
            }
        } else {
            const float* row = table + std::size_t(s.at) * taps;
            for (std::size_t k = 0; k < taps; k += kLanes) {
                Vector c;
                Vector l;
                Vector r;
                std::memcpy(&c, row + k, sizeof c);
                std::memcpy(&l, f.left + k, sizeof l);
                std::memcpy(&r, f.right + k, sizeof r);
                left += c * l;
                right += c * r;
            }
        }
        // Both sums at once, halving the lanes: [l0+l4 .. l3+l7, r0+r4 .. r3+r7], then pairs of those.
        const Vector halves = __builtin_shufflevector(left, right, 0, 1, 2, 3, 8, 9, 10, 11)
            + __builtin_shufflevector(left, right, 4, 5, 6, 7, 12, 13, 14, 15);
        const Vector quarters = halves + __builtin_shufflevector(halves, halves, 2, 3, 0, 1, 6, 7, 4, 5);
        f.out[2 * n] += f.gainLeft * (quarters[0] + quarters[1]);
        f.out[2 * n + 1] += f.gainRight * (quarters[4] + quarters[5]);
        s.at += s.part;
        std::size_t step = s.whole;
        if (s.at >= s.rows) {
            s.at -= s.rows;
            ++step;
        }
        f.left += step;
        f.right += step;
    }
}

// Audio thread.
CORVADEL_VECTOR_CLONES
void addExact(Frames f, Steps s, const float* table, std::size_t taps)
{
    addFrames<false>(f, s, table, nullptr, taps);
}

// Audio thread.
CORVADEL_VECTOR_CLONES
void addInterpolated(Frames f, Steps s, const float* table, const float* slopes, std::size_t taps)
{
    addFrames<true>(f, s, table, slopes, taps);
}

} // namespace

Resampler::Resampler(int fileRate, int deviceRate)
    : m_fileRate(static_cast<std::uint32_t>(fileRate)), m_deviceRate(static_cast<std::uint32_t>(deviceRate)),
      m_unit(std::gcd(m_fileRate, m_deviceRate))
{
    // Cycles per file frame that still pass, and the file frames one output frame's sound is drawn from.
    const double scale = double(std::min(fileRate, deviceRate)) / double(fileRate);
    const double cutoff = kCutoff * scale;
    m_taps = std::min(kMaxTaps, static_cast<std::size_t>(std::ceil(kBaseTaps / scale / double(kLanes))) * kLanes);
    const double half = double(m_taps) / 2.0;
    const double windowNorm = besselI0(kKaiserBeta);

    // One row for each fraction that occurs, or evenly spaced rows (and one more) to interpolate between.
    const std::size_t exactRows = m_deviceRate / m_unit;
    m_interpolated = exactRows > kMaxExactRows;
    if (m_interpolated) {
        m_unit = 1;
    }
    const std::size_t rows = m_interpolated ? kPhases + 1 : exactRows;
    m_rows.resize(rows * m_taps);
    std::vector<double> h(m_taps);
    for (std::size_t p = 0; p < rows; ++p) {
        const double fraction = m_interpolated ? double(p) / double(kPhases) : double(p) / double(exactRows);
        double sum = 0;
        for (std::size_t k = 0; k < m_taps; ++k) {
            const double d = double(k) - double(tapsBefore()) - fraction;
            const double u = d / half;
            const double window = u * u >= 1.0 ? 0.0 : besselI0(kKaiserBeta * std::sqrt(1.0 - u * u)) / windowNorm;
            const double arg = M_PI * 2.0 * cutoff * d;
            const double sinc = d == 0.0 ? 1.0 : std::sin(arg) / arg;
            h[k] = 2.0 * cutoff * sinc * window;
            sum += h[k];
        }
        // Each row passes a constant unchanged.
        for (std::size_t k = 0; k < m_taps; ++k) {
            m_rows[p * m_taps + k] = static_cast<float>(h[k] / sum);
        }
    }
    if (m_interpolated) {
        m_slopes.resize(kPhases * m_taps);
        for (std::size_t i = 0; i < m_slopes.size(); ++i) {
            m_slopes[i] = m_rows[i + m_taps] - m_rows[i];
        }
        m_rows.resize(kPhases * m_taps);
    }
}

std::size_t Resampler::tableBytes() const
{
    return (m_rows.size() + m_slopes.size()) * sizeof(float);
}

void Resampler::mixInto(float* out, std::size_t count, const float* left, const float* right,
                        std::uint32_t fraction, float gainLeft, float gainRight) const
{
    // Audio thread. Fractions are counted in units of gcd(file rate, device rate), one row a unit.
    const Frames frames { out, count, left, right, gainLeft, gainRight };
    const Steps steps { fraction / m_unit, m_fileRate / m_deviceRate, (m_fileRate % m_deviceRate) / m_unit,
                        m_deviceRate / m_unit };
    if (m_interpolated) {
        addInterpolated(frames, steps, m_rows.data(), m_slopes.data(), m_taps);
    } else {
        addExact(frames, steps, m_rows.data(), m_taps);
    }
}

} // namespace platform::sounddetail
