// Figures of the sound engine: loading a phrase against reading its file, the cost of mixing, and memory.
// Usage: bench_sound_engine. Prints its figures; checks nothing.
#include "benchmarks/benchsupport.h"
#include "platform/sound/sounddevice.h"
#include "sound/dx7sound.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <malloc.h>
#include <thread>
#include <vector>

namespace {

using bench::heapInUse;
using bench::makeWav;

double threadCpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void loadFigures(const std::filesystem::path& folder)
{
    struct File
    {
        const char* what;
        std::string path;
    };
    const File files[] = {
        { "30 s, 44.1 kHz, 16-bit stereo", makeWav(folder, "a.wav", 44100, 2, SF_FORMAT_PCM_16, 30) },
        { "30 s, 48 kHz, 16-bit stereo (converted)", makeWav(folder, "b.wav", 48000, 2, SF_FORMAT_PCM_16, 30) },
        { "30 s, 11.025 kHz, 8-bit mono (converted)", makeWav(folder, "c.wav", 11025, 1, SF_FORMAT_PCM_U8, 30) },
    };
    auto device = platform::SoundDevice::openOffline();
    std::printf("load: median of 15, against `cat FILE > /dev/null` of the same file\n");
    for (const File& f : files) {
        const std::string cat = "cat '" + f.path + "' > /dev/null";
        const double read = bench::medianMs(15, [&] { (void)std::system(cat.c_str()); });
        // The first load takes fresh memory from the system; later ones reuse what the previous load gave back.
        const double first = bench::medianMs(1, [&] { device->createSoundBufferFromFile(f.path); });
        const double load = bench::medianMs(15, [&] { device->createSoundBufferFromFile(f.path); });
        std::printf("  %-42s load %7.2f ms (first %7.2f), cat %5.2f ms, ratio %.2f\n", f.what, load, first, read,
                    load / read);
    }

    std::printf("memory: heap bytes held per device frame of a loaded buffer\n");
    std::vector<std::shared_ptr<platform::SoundBuffer>> kept;
    for (const File& f : files) {
        device->render(nullptr, 0); // frees the buffers dropped above
        const long long before = heapInUse();
        auto buffer = kept.emplace_back(device->createSoundBufferFromFile(f.path));
        const long long held = heapInUse() - before;
        std::printf("  %-42s %.3f bytes per frame (%zu frames)\n", f.what, double(held) / double(buffer->frames()),
                    buffer->frames());
    }
}

void mixFigures(const std::filesystem::path& folder)
{
    auto device = platform::SoundDevice::openOffline();
    std::vector<std::shared_ptr<platform::SoundBuffer>> slots;
    for (int i = 0; i < 11; ++i) {
        slots.push_back(device->createSoundBufferFromFile(
            makeWav(folder, "mix" + std::to_string(i) + ".wav", 44100, 2, SF_FORMAT_PCM_16, 1.0 + 0.37 * i)));
        slots.back()->setVolume(-100 * i);
        slots.back()->setPan(900 * i - 5000);
        slots.back()->play(platform::PlayLooping);
    }
    std::vector<float> block(2 * platform::SoundDevice::BlockFrames);
    std::vector<double> costs;
    for (int run = 0; run < 30; ++run) {
        const double t0 = threadCpuMs();
        for (int done = 0; done < platform::SoundDevice::SampleRate; done += platform::SoundDevice::BlockFrames) {
            device->render(block.data(), platform::SoundDevice::BlockFrames);
        }
        costs.push_back(threadCpuMs() - t0);
    }
    std::sort(costs.begin(), costs.end());
    std::printf("mix: one second of output with 11 slots looping, in blocks of %d frames\n",
                platform::SoundDevice::BlockFrames);
    std::printf("  CPU %.3f ms per second of sound (median of 30), %.3f %% of one core\n", costs[15], costs[15] / 10.0);
}

void reloadFigures(const std::filesystem::path& folder)
{
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!DX7Sound::InitDX(0)) {
        std::printf("reloads: no sound device opened\n");
        return;
    }
    const std::string file = makeWav(folder, "reload.wav", 44100, 2, SF_FORMAT_PCM_16, 1);
    DX7Sound::InitBuffers(10, file);
    DX7Sound::PlayBuffer(0, 1);
    // Lets the audio thread let go of replaced buffers, then frees them.
    const auto settle = [] {
        const std::uint64_t now = DX7Sound::DS->framesMixed();
        while (DX7Sound::DS->framesMixed() < now + 3 * platform::SoundDevice::BlockFrames) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        DX7Sound::SetVolume(0, 80);
        return heapInUse();
    };
    std::printf("memory: 1000 reloads of one playing slot on the device thread (one buffer: %zu bytes)\n",
                DX7Sound::SoundBuffers[0].Buffer->frames() * 8);
    long long first = 0;
    for (int i = 1; i <= 1000; ++i) {
        DX7Sound::LoadPlayBuffer(0, file, 80, 50, 1);
        if (i == 10 || i == 100 || i == 500 || i == 1000) {
            const long long heap = settle();
            first = first == 0 ? heap : first;
            std::printf("  heap after %4d reloads: %lld bytes (%+lld since 10)\n", i, heap, heap - first);
        }
    }
    DX7Sound::Shutdown();
}

} // namespace

int main()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "corvadel-bench-engine";
    std::filesystem::create_directories(folder);
    loadFigures(folder);
    mixFigures(folder);
    reloadFigures(folder);
    std::filesystem::remove_all(folder);
    return 0;
}
