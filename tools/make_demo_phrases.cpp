// Writes a demo program folder's phrase folders: short phrase sets whose three layers (drums, bass,
// chords or texture) are cut to the same length at the same tempo, so that they lock together in a loop.
// Usage: make_demo_phrases <program folder>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

struct Loop
{
    int frames;
    double beat; // seconds per beat
    std::vector<float> left, right;
    Loop(double bpm, int beats)
        : frames(int(std::lround(60.0 / bpm * beats * kRate))),
          beat(60.0 / bpm),
          left(size_t(frames)),
          right(size_t(frames))
    { }
    // Adds a mono voice at a pan from -1 (left) to 1 (right); the voice wraps round the loop's end.
    template<class Voice> void add(double startSeconds, double lengthSeconds, double pan, Voice voice)
    {
        const int start = int(std::lround(startSeconds * kRate));
        const int length = int(lengthSeconds * kRate);
        const float gl = float(std::cos((pan + 1) * kPi / 4));
        const float gr = float(std::sin((pan + 1) * kPi / 4));
        for (int i = 0; i < length; ++i) {
            const float s = float(voice(double(i) / kRate));
            const size_t at = size_t((start + i) % frames);
            left[at] += s * gl;
            right[at] += s * gr;
        }
    }
    bool write(const std::filesystem::path& file) const
    {
        float peak = 1e-9f;
        for (int i = 0; i < frames; ++i) {
            peak = std::max(peak, std::max(std::fabs(left[size_t(i)]), std::fabs(right[size_t(i)])));
        }
        const float scale = 0.8f / peak;
        std::vector<float> interleaved(size_t(frames) * 2);
        for (int i = 0; i < frames; ++i) {
            interleaved[size_t(i) * 2] = left[size_t(i)] * scale;
            interleaved[size_t(i) * 2 + 1] = right[size_t(i)] * scale;
        }
        SF_INFO info {};
        info.samplerate = kRate;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* f = sf_open(file.string().c_str(), SFM_WRITE, &info);
        if (!f) {
            std::fprintf(stderr, "cannot write %s: %s\n", file.string().c_str(), sf_strerror(nullptr));
            return false;
        }
        const bool ok = sf_writef_float(f, interleaved.data(), frames) == frames;
        sf_close(f);
        return ok;
    }
};

double hz(int midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

std::mt19937 g_noise(7);
double noise()
{
    return std::uniform_real_distribution<double>(-1.0, 1.0)(g_noise);
}

auto kick = [](double t) {
    const double f = 45 + 90 * std::exp(-t * 30);
    return std::sin(2 * kPi * f * t) * std::exp(-t * 9);
};
auto snare = [](double t) { return (0.6 * noise() + 0.4 * std::sin(2 * kPi * 190 * t)) * std::exp(-t * 18) * 0.7; };
auto hat = [](double t) { return noise() * std::exp(-t * 70) * 0.25; };

// A soft plucked tone of a few harmonics.
auto pluck(int note, double decay, double level)
{
    const double f = hz(note);
    return [f, decay, level](double t) {
        const double s = std::sin(2 * kPi * f * t) + 0.5 * std::sin(4 * kPi * f * t) + 0.25 * std::sin(6 * kPi * f * t);
        return s * std::exp(-t * decay) * std::min(1.0, t * 200) * level;
    };
}

// A slow pad tone with a gentle swell.
auto pad(int note, double length, double level)
{
    const double f = hz(note);
    return [f, length, level](double t) {
        const double env = std::sin(kPi * std::min(1.0, t / length));
        return (std::sin(2 * kPi * f * t) + 0.3 * std::sin(2 * kPi * f * 2.003 * t)) * env * level;
    };
}

void drums(Loop& l, bool halftime)
{
    const int beats = int(std::lround(l.frames / (l.beat * kRate)));
    for (int b = 0; b < beats; ++b) {
        const double t = b * l.beat;
        if (halftime ? b % 4 == 0 : b % 2 == 0) {
            l.add(t, 0.5, 0.0, kick);
        }
        if (halftime ? b % 4 == 2 : b % 2 == 1) {
            l.add(t, 0.3, 0.1, snare);
        }
        l.add(t, 0.1, -0.3, hat);
        l.add(t + l.beat / 2, 0.1, -0.3, hat);
    }
}

void bass(Loop& l, const std::vector<int>& notes)
{
    const double step = l.beat / 2;
    const int steps = int(std::lround(l.frames / (step * kRate)));
    for (int i = 0; i < steps; ++i) {
        const int note = notes[size_t(i) % notes.size()];
        if (note > 0) {
            l.add(i * step, step * 0.95, 0.0, pluck(note, 6, 1.0));
        }
    }
}

void chords(Loop& l, const std::vector<std::vector<int>>& bars, double pan)
{
    const double bar = 4 * l.beat;
    for (size_t b = 0; b < bars.size(); ++b) {
        for (double off : { 0.0, 1.5 * l.beat, 3.0 * l.beat }) {
            for (int note : bars[b]) {
                l.add(b * bar + off, l.beat, pan, pluck(note, 5, 0.35));
            }
        }
    }
}

bool writeSet(const std::filesystem::path& folder, const std::string& base, Loop& a, Loop& b, Loop& c)
{
    std::filesystem::create_directories(folder);
    return a.write(folder / (base + "_1.wav")) && b.write(folder / (base + "_2.wav"))
        && c.write(folder / (base + "_3.wav"));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <program folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    bool ok = true;

    { // Groove: 100 bpm, two bars in A minor
        Loop d(100, 8), bs(100, 8), ch(100, 8);
        drums(d, false);
        bass(bs, { 45, 0, 45, 57, 0, 45, 48, 50, 41, 0, 41, 53, 0, 41, 43, 44 });
        chords(ch, { { 57, 60, 64 }, { 53, 57, 60 } }, 0.3);
        ok = writeSet(root / "Groove", "Beat", d, bs, ch) && ok;
    }
    { // Groove: the same tempo at half time, in D minor
        Loop d(100, 8), bs(100, 8), ch(100, 8);
        drums(d, true);
        bass(bs, { 38, 0, 0, 38, 0, 0, 50, 0, 46, 0, 0, 46, 0, 48, 0, 0 });
        chords(ch, { { 62, 65, 69 }, { 58, 62, 65 } }, -0.3);
        ok = writeSet(root / "Groove", "Halftime", d, bs, ch) && ok;
    }
    { // Tide: 72 bpm, four bars of pads, bells and a shaker
        Loop padL(72, 16), bells(72, 16), shaker(72, 16);
        const double bar = 4 * padL.beat;
        const std::vector<std::vector<int>> chordsTide
            = { { 48, 55, 64 }, { 45, 52, 60 }, { 41, 48, 57 }, { 43, 50, 59 } };
        for (size_t b = 0; b < chordsTide.size(); ++b) {
            for (int note : chordsTide[b]) {
                padL.add(b * bar, bar, 0.0, pad(note, bar, 0.3));
            }
        }
        const int arp[] = { 72, 76, 79, 83, 81, 76, 74, 79 };
        for (int i = 0; i < 16; ++i) {
            bells.add(i * bells.beat, bells.beat * 2, i % 2 ? 0.5 : -0.5, pluck(arp[i % 8], 3, 0.4));
        }
        for (int i = 0; i < 32; ++i) {
            shaker.add(i * shaker.beat / 2, 0.15, 0.2,
                       [](double t) { return noise() * std::sin(kPi * std::min(1.0, t / 0.15)) * 0.3; });
        }
        ok = writeSet(root / "Tide", "Tide", padL, bells, shaker) && ok;
    }
    return ok ? 0 : 1;
}
