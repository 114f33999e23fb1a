// How closely three layers started back to back line up on the real device thread.
//
// Each trial does what a synchronised start does: load three slots, then start them one after the other.
// It waits until all three have sounded and records the spread of the output frames they began on.
// Usage: bench_sound_alignment [trials] (10000 by default). Runs on SDL's dummy driver unless told otherwise.
#include "sound/dx7sound.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>
#include <vector>

int main(int argc, char** argv)
{
    const long trials = argc > 1 ? std::atol(argv[1]) : 10000;
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);

    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "corvadel-bench-alignment";
    std::filesystem::create_directories(folder);
    std::vector<std::string> files;
    for (int layer = 0; layer < 3; ++layer) {
        files.push_back((folder / ("layer_" + std::to_string(layer + 1) + ".wav")).string());
        SF_INFO info {};
        info.samplerate = 44100;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* f = sf_open(files.back().c_str(), SFM_WRITE, &info);
        std::vector<short> frames(2 * (4410 + 1000 * std::size_t(layer)), short(1000 * (layer + 1)));
        sf_writef_short(f, frames.data(), sf_count_t(frames.size() / 2));
        sf_close(f);
    }

    if (!DX7Sound::InitDX(0)) {
        std::printf("no sound device opened\n");
        return 1;
    }
    DX7Sound::InitBuffers(10, files[0]);

    std::map<std::uint64_t, long> spreads;
    long fromMiddle = 0;
    long timedOut = 0;
    const auto began = std::chrono::steady_clock::now();
    for (long t = 0; t < trials; ++t) {
        for (int16_t layer = 0; layer < 3; ++layer) {
            DX7Sound::LoadBufferLevels(layer, files[std::size_t(layer)], 80, 50);
        }
        for (int16_t layer = 0; layer < 3; ++layer) {
            DX7Sound::PlayBuffer(layer, 1);
        }
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        std::vector<std::uint64_t> frames(3, UINT64_MAX);
        while (std::chrono::steady_clock::now() < giveUp) {
            for (std::size_t layer = 0; layer < 3; ++layer) {
                frames[layer] = DX7Sound::SoundBuffers[layer].Buffer->startFrame();
            }
            if (std::none_of(frames.begin(), frames.end(), [](std::uint64_t f) { return f == UINT64_MAX; })) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (std::any_of(frames.begin(), frames.end(), [](std::uint64_t f) { return f == UINT64_MAX; })) {
            ++timedOut;
            continue;
        }
        for (std::size_t layer = 0; layer < 3; ++layer) {
            if (DX7Sound::SoundBuffers[layer].Buffer->startPosition() != 0) {
                ++fromMiddle;
            }
        }
        const auto [low, high] = std::minmax_element(frames.begin(), frames.end());
        ++spreads[*high - *low];
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::printf("alignment: %ld trials of three back-to-back starts on the device thread (%.1f s, block %d frames)\n",
                trials, seconds, platform::SoundDevice::BlockFrames);
    for (const auto& [spread, count] : spreads) {
        std::printf("  layers' first frames %llu frames apart: %ld trials\n", (unsigned long long)spread, count);
    }
    std::printf("  starts that began late (inside their sound): %ld; trials that never sounded: %ld\n", fromMiddle,
                timedOut);
    std::printf("  late starts reported by the device: %llu\n", (unsigned long long)DX7Sound::DS->lateStarts());
    DX7Sound::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
