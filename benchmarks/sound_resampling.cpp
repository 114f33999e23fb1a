// Figures of playing files whose rate is not the device's: whether loops in proportion stay locked over an
// hour, and how cleanly a loop comes out (its seam, its error against a reference resampling), each beside
// a baseline from the same run. All offline, at 44.1 kHz.
// Usage: bench_sound_resampling [minutes] (60 by default).
#include "benchmarks/benchsupport.h"
#include "platform/sound/sounddevice.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

constexpr int OutputRate = platform::SoundDevice::kDefaultRate;

std::string writeWav(const std::filesystem::path& folder, const std::string& name, int rate,
                     const std::vector<float>& mono)
{
    const std::string path = (folder / name).string();
    SF_INFO info {};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<float> stereo;
    for (float v : mono) {
        stereo.push_back(v);
        stereo.push_back(v);
    }
    sf_writef_float(f, stereo.data(), sf_count_t(mono.size()));
    sf_close(f);
    return path;
}

// The left channel of a file as the reference converter gets it.
std::vector<float> readLeft(const std::string& path)
{
    SF_INFO info {};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    std::vector<float> frames(std::size_t(info.frames) * std::size_t(info.channels));
    sf_readf_float(f, frames.data(), info.frames);
    sf_close(f);
    std::vector<float> left;
    for (std::size_t i = 0; i < frames.size(); i += std::size_t(info.channels)) {
        left.push_back(frames[i]);
    }
    return left;
}

std::vector<float> convert(const std::vector<float>& in, int rate, int quality)
{
    std::vector<float> out(std::size_t(double(in.size()) * OutputRate / rate) + 64);
    SRC_DATA data {};
    data.data_in = in.data();
    data.input_frames = long(in.size());
    data.data_out = out.data();
    data.output_frames = long(out.size());
    data.src_ratio = double(OutputRate) / rate;
    src_simple(&data, quality, 1);
    out.resize(std::size_t(data.output_frames_gen));
    return out;
}

void loopLock(const std::filesystem::path& folder, int minutes)
{
    struct Set
    {
        int rate;
        int frames; // of the shortest loop; the others are 2 and 4 times as long
    };
    const Set sets[] = { { 16000, 8683 }, { 48000, 22500 } };
    auto device = platform::SoundDevice::openOffline();
    std::vector<std::shared_ptr<platform::SoundBuffer>> voices;
    for (const Set& s : sets) {
        for (int k : { 1, 2, 4 }) {
            const std::string file = writeWav(folder, "lock" + std::to_string(s.rate) + "_" + std::to_string(k) + ".wav",
                                              s.rate, std::vector<float>(std::size_t(s.frames * k), 0.01f));
            voices.push_back(device->createSoundBufferFromFile(file));
            voices.back()->play(platform::kPlayLooping);
        }
    }
    const std::uint64_t total = std::uint64_t(minutes) * 60 * OutputRate;
    std::vector<float> block(2 * 4096);
    std::uint64_t apart = 0;
    std::uint64_t offTime = 0;
    long meetings = 0;
    std::uint64_t last[2] = { UINT64_MAX, UINT64_MAX };
    std::uint64_t rounds[2] = { 0, 0 };
    const double cpu0 = bench::threadCpuMs();
    for (std::uint64_t done = 0; done < total; done += 4096) {
        device->render(block.data(), 4096);
        for (std::size_t s = 0; s < 2; ++s) {
            const std::uint64_t longest = voices[3 * s + 2]->loopFrame();
            if (longest == last[s]) {
                continue;
            }
            last[s] = longest;
            ++rounds[s];
            ++meetings;
            for (std::size_t k = 0; k < 2; ++k) {
                const std::uint64_t other = voices[3 * s + k]->loopFrame();
                apart = std::max(apart, other > longest ? other - longest : longest - other);
            }
            // The first output frame at or after the exact time of this round.
            const std::uint64_t exact = (rounds[s] * 4 * std::uint64_t(sets[s].frames) * OutputRate + sets[s].rate - 1)
                / std::uint64_t(sets[s].rate);
            offTime = std::max(offTime, exact > longest ? exact - longest : longest - exact);
        }
    }
    const double cpu = bench::threadCpuMs() - cpu0;
    std::printf("loop lock: loops in 1:2:4 of 8683 frames at 16 kHz and of 22500 at 48 kHz, %d minutes at 44.1 kHz "
                "(%.1f s of CPU)\n",
                minutes, cpu / 1000);
    std::printf("  loop starts that should meet: at most %llu frames apart (%ld meetings), at most %llu frames from "
                "their exact time\n",
                (unsigned long long)apart, meetings, (unsigned long long)offTime);
    // Baseline: each loop rounded to whole output frames, as a conversion at load does.
    for (const Set& s : sets) {
        const double exact = double(s.frames) * OutputRate / s.rate;
        const long long rounded[3] = { std::llround(exact), std::llround(2 * exact), std::llround(4 * exact) };
        const long long n = (long long)total / rounded[2];
        const long long between
            = n * std::max(std::llabs(4 * rounded[0] - rounded[2]), std::llabs(2 * rounded[1] - rounded[2]));
        double fromTime = 0;
        for (int k = 0; k < 3; ++k) {
            fromTime = std::max(fromTime, std::fabs(double(total / rounded[k] * rounded[k])
                                                    - double(total / rounded[k]) * exact * (1 << k)));
        }
        std::printf("  baseline, loops rounded to %lld, %lld and %lld output frames (%d Hz): %lld frames apart and "
                    "%.0f frames from their exact time after the same time\n",
                    rounded[0], rounded[1], rounded[2], s.rate, between, fromTime);
    }
}

struct Quality
{
    double snr; // dB against the reference
    double seamStep;
    double otherStep; // largest step anywhere else
};

// out holds whole periods of `period` frames; compares the second period with the reference period.
Quality measure(const std::vector<float>& out, std::size_t period, const std::vector<float>& reference)
{
    Quality q {};
    double signal = 0;
    double error = 0;
    for (std::size_t n = 0; n < std::min(period, reference.size()); ++n) {
        signal += double(reference[n]) * reference[n];
        error += (double(out[period + n]) - reference[n]) * (double(out[period + n]) - reference[n]);
    }
    q.snr = 10 * std::log10(signal / error);
    for (std::size_t n = 1; n < out.size(); ++n) {
        double& largest = n % period == 0 ? q.seamStep : q.otherStep;
        largest = std::max(largest, std::fabs(double(out[n]) - out[n - 1]));
    }
    return q;
}

void seams(const std::filesystem::path& folder)
{
    std::printf("seam and error: one-second sine loops (amplitude 0.5) of whole cycles, against libsamplerate's best "
                "converter on three copies of the loop (middle kept)\n");
    for (int rate : { 48000, 16000 }) {
        const int lower = std::min(rate, OutputRate);
        for (int frequency : { 480, lower / 5, lower * 2 / 5 }) {
            std::vector<float> sine(std::size_t(rate), 0.0f);
            for (int i = 0; i < rate; ++i) {
                sine[std::size_t(i)] = float(0.5 * std::sin(2 * M_PI * frequency * double(i) / rate));
            }
            const std::string file = writeWav(folder, "seam.wav", rate, sine);
            const std::vector<float> loop = readLeft(file);
            std::vector<float> three;
            for (int copy = 0; copy < 3; ++copy) {
                three.insert(three.end(), loop.begin(), loop.end());
            }
            const std::vector<float> full = convert(three, rate, SRC_SINC_BEST_QUALITY);
            const std::vector<float> reference(full.begin() + OutputRate, full.begin() + 2 * OutputRate);

            auto device = platform::SoundDevice::openOffline();
            auto buffer = device->createSoundBufferFromFile(file);
            buffer->play(platform::kPlayLooping);
            std::vector<float> stereo(2 * 3 * std::size_t(OutputRate));
            device->render(stereo.data(), 3 * std::size_t(OutputRate));
            std::vector<float> ours;
            for (std::size_t i = 0; i < stereo.size(); i += 2) {
                ours.push_back(stereo[i]);
            }
            const Quality q = measure(ours, std::size_t(OutputRate), reference);

            // Baseline: the loop converted once at load with libsamplerate's fastest converter, then repeated.
            const std::vector<float> once = convert(loop, rate, SRC_SINC_FASTEST);
            std::vector<float> repeated;
            for (int copy = 0; copy < 3; ++copy) {
                repeated.insert(repeated.end(), once.begin(), once.end());
            }
            const Quality b = measure(repeated, once.size(), reference);
            std::printf("  %2d kHz loop, %5d Hz: signal to error %6.1f dB, step at the seam %.4f (elsewhere %.4f) | "
                        "converted at load: %5.1f dB, seam step %.4f (elsewhere %.4f), %zu frames a loop\n",
                        rate / 1000, frequency, q.snr, q.seamStep, q.otherStep, b.snr, b.seamStep, b.otherStep,
                        once.size());
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 60;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "corvadel-bench-resampling";
    std::filesystem::create_directories(folder);
    seams(folder);
    loopLock(folder, minutes);
    std::filesystem::remove_all(folder);
    return 0;
}
