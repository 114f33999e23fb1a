#include "platform/sound/resampler.h"

#include <algorithm>
#include <cmath>

namespace platform::sounddetail {

namespace {

// Rows of the table; between two rows the coefficients are interpolated.
constexpr std::size_t Phases = 256;
// Taps when the file is at the lower rate; a file above the device's rate needs proportionally more.
constexpr double BaseTaps = 48;
// No more than this many, whatever the rates (the mixer's scratch holds more).
constexpr std::size_t MaxTaps = 4096;
// Cutoff as a share of the lower rate, and the Kaiser window's shape (about 90 dB of stopband).
constexpr double Cutoff = 0.5;
constexpr double KaiserBeta = 9.0;
// Independent sums in the inner loop, so that it runs as vector operations.
constexpr std::size_t Lanes = 8;

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
    std::uint32_t fraction;
    float gainLeft;
    float gainRight;
};

struct Table
{
    const float* rows;
    const float* slopes;
    std::size_t taps;
};

// Audio thread: the inner loop of Resampler::mixInto.
CORVADEL_VECTOR_CLONES
void addFrames(Frames f, Table table, std::uint32_t fileRate, std::uint32_t deviceRate)
{
    // The position's whole frame moves by `whole` and its fraction by `part` per output frame.
    const std::uint32_t whole = fileRate / deviceRate;
    const std::uint32_t part = fileRate % deviceRate;
    const double toPhase = double(Phases) / double(deviceRate);
    const std::size_t taps = table.taps;
    for (std::size_t n = 0; n < f.count; ++n) {
        const double x = double(f.fraction) * toPhase;
        const auto phase = static_cast<std::size_t>(x);
        const auto t = static_cast<float>(x - double(phase));
        const float* row = table.rows + phase * taps;
        const float* slope = table.slopes + phase * taps;
        float sumLeft[Lanes] = {};
        float sumRight[Lanes] = {};
        for (std::size_t k = 0; k < taps; k += Lanes) {
            for (std::size_t j = 0; j < Lanes; ++j) {
                const float c = row[k + j] + t * slope[k + j];
                sumLeft[j] += c * f.left[k + j];
                sumRight[j] += c * f.right[k + j];
            }
        }
        float l = 0;
        float r = 0;
        for (std::size_t j = 0; j < Lanes; ++j) {
            l += sumLeft[j];
            r += sumRight[j];
        }
        f.out[2 * n] += f.gainLeft * l;
        f.out[2 * n + 1] += f.gainRight * r;
        f.fraction += part;
        std::size_t step = whole;
        if (f.fraction >= deviceRate) {
            f.fraction -= deviceRate;
            ++step;
        }
        f.left += step;
        f.right += step;
    }
}

} // namespace

Resampler::Resampler(int fileRate, int deviceRate)
    : m_fileRate(static_cast<std::uint32_t>(fileRate)), m_deviceRate(static_cast<std::uint32_t>(deviceRate))
{
    // Cycles per file frame that still pass, and the file frames one output frame's sound is drawn from.
    const double scale = double(std::min(fileRate, deviceRate)) / double(fileRate);
    const double cutoff = Cutoff * scale;
    m_taps = std::min(MaxTaps, static_cast<std::size_t>(std::ceil(BaseTaps / scale / double(Lanes))) * Lanes);
    const double half = double(m_taps) / 2.0;
    const double windowNorm = besselI0(KaiserBeta);

    m_rows.resize((Phases + 1) * m_taps);
    for (std::size_t p = 0; p <= Phases; ++p) {
        const double fraction = double(p) / double(Phases);
        float* row = &m_rows[p * m_taps];
        double sum = 0;
        std::vector<double> h(m_taps);
        for (std::size_t k = 0; k < m_taps; ++k) {
            const double d = double(k) - double(tapsBefore()) - fraction;
            const double u = d / half;
            const double window = u * u >= 1.0 ? 0.0 : besselI0(KaiserBeta * std::sqrt(1.0 - u * u)) / windowNorm;
            const double arg = M_PI * 2.0 * cutoff * d;
            const double sinc = d == 0.0 ? 1.0 : std::sin(arg) / arg;
            h[k] = 2.0 * cutoff * sinc * window;
            sum += h[k];
        }
        // Each row passes a constant unchanged.
        for (std::size_t k = 0; k < m_taps; ++k) {
            row[k] = static_cast<float>(h[k] / sum);
        }
    }
    m_slopes.resize(Phases * m_taps);
    for (std::size_t i = 0; i < m_slopes.size(); ++i) {
        m_slopes[i] = m_rows[i + m_taps] - m_rows[i];
    }
    m_rows.resize(Phases * m_taps);
}

void Resampler::mixInto(float* out, std::size_t count, const float* left, const float* right,
                        std::uint32_t fraction, float gainLeft, float gainRight) const
{
    // Audio thread.
    addFrames({ out, count, left, right, fraction, gainLeft, gainRight }, { m_rows.data(), m_slopes.data(), m_taps },
              m_fileRate, m_deviceRate);
}

} // namespace platform::sounddetail
