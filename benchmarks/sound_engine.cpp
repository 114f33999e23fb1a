// Figures of the sound engine, each beside a baseline from the same run: loading a phrase against reading
// its file, memory per frame, press to first sound of a 48 kHz set against a 44.1 kHz one, the mix of 11
// slots of 48 kHz material against 44.1 kHz material, the CPU and callbacks while nothing plays against a
// device kept running, and memory over many reloads, also with glibc's per-thread cache off (in a fresh copy of
// this program). (The real player's CPU: bench_sound_player.)
// Usage: bench_sound_engine. Runs on SDL's dummy driver unless told otherwise; prints its figures.
#include "benchmarks/benchsupport.h"
#include "platform/sound/sounddevice.h"
#include "sound/dx7sound.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

using bench::heapInUse;

// glibc's per-thread cache of freed blocks off, for the reload figures' second run.
const std::string kNoCache = "glibc.malloc.tcache_count=0";
constexpr const char* kReloadsOnly = "--reloads-without-cache";

// Runs the reload figures again in a fresh copy of this program, with glibc's per-thread cache off.
void reloadFiguresWithoutCache()
{
    std::fflush(stdout);
    const pid_t pid = bench::spawnWith(std::filesystem::read_symlink("/proc/self/exe").string(), { kReloadsOnly },
                                       { "GLIBC_TUNABLES=" + kNoCache });
    int status = 0;
    if (pid == 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::printf("  the run with glibc's cache off failed\n");
    }
}

// Seconds of 16-bit stereo at a rate.
std::string makeWav(const std::filesystem::path& folder, const std::string& name, int rate, double seconds)
{
    return bench::makeWav(folder, name, rate, 2, SF_FORMAT_PCM_16, seconds);
}

void loadFigures(const std::filesystem::path& folder)
{
    bench::freshLargeBlocks();
    auto device = platform::SoundDevice::openOffline();
    std::printf("load of a 30 s 16-bit stereo file into fresh memory, median of 15, against read() of the file into "
                "fresh memory\n");
    for (int rate : { 44100, 48000 }) {
        const std::string file = makeWav(folder, "load" + std::to_string(rate) + ".wav", rate, 30);
        std::vector<double> loads;
        std::vector<double> reads;
        for (int run = 0; run < 15; ++run) {
            reads.push_back(bench::medianMs(1, [&] { bench::readWhole(file); }));
            std::shared_ptr<platform::SoundBuffer> buffer;
            loads.push_back(bench::medianMs(1, [&] { buffer = device->createSoundBufferFromFile(file); }));
            buffer.reset();
            device->render(nullptr, 0); // frees it
        }
        std::sort(loads.begin(), loads.end());
        std::sort(reads.begin(), reads.end());
        // The first file of a rate also makes the filter that every later file of that rate shares.
        const long long before = heapInUse();
        auto first = device->createSoundBufferFromFile(file);
        const long long between = heapInUse();
        auto second = device->createSoundBufferFromFile(file);
        const long long held = heapInUse() - between;
        std::printf("  %.1f kHz: load %6.2f ms, read %6.2f ms, ratio %.2f; memory %.2f bytes per stereo frame",
                    rate / 1000.0, loads[7], reads[7], loads[7] / reads[7], double(held) / double(second->fileFrames()));
        if (rate != device->rate()) {
            std::printf(", and %lld bytes of filter for every file of the rate", between - before - held);
        }
        std::printf("\n");
    }
}

void pressFigures(const std::filesystem::path& folder)
{
    std::printf("press to first sound of a set of three 30 s layers, from a resting device (load three slots, start "
                "them, until all three sound on the device thread), median of 9\n");
    double figures[2] = {};
    int index = 0;
    for (int rate : { 44100, 48000 }) {
        std::vector<std::string> files;
        for (int k = 1; k <= 3; ++k) {
            files.push_back(makeWav(folder, "set" + std::to_string(rate) + "_" + std::to_string(k) + ".wav", rate, 30));
        }
        std::vector<double> times;
        for (int run = 0; run < 9; ++run) {
            for (int16_t layer = 0; layer < 3; ++layer) {
                DX7Sound::StopBuffer(layer);
            }
            bench::waitUntil([] { return DX7Sound::DS->resting(); }, 10);
            const auto t0 = Clock::now();
            for (int16_t layer = 0; layer < 3; ++layer) {
                DX7Sound::LoadBufferLevels(layer, files[std::size_t(layer)], 80, 50);
            }
            for (int16_t layer = 0; layer < 3; ++layer) {
                DX7Sound::PlayBuffer(layer, 1);
            }
            bench::waitUntil([] {
                return std::all_of(DX7Sound::SoundBuffers.begin(), DX7Sound::SoundBuffers.begin() + 3,
                                   [](const DX7Sound::SoundSlot& s) { return s.Buffer->startFrame() != UINT64_MAX; });
            }, 10);
            times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        }
        std::sort(times.begin(), times.end());
        figures[index++] = times[4];
    }
    for (int16_t layer = 0; layer < 3; ++layer) {
        DX7Sound::StopBuffer(layer);
    }
    std::printf("  44.1 kHz set %.1f ms, 48 kHz set %.1f ms: ratio %.2f\n", figures[0], figures[1],
                figures[1] / figures[0]);
}

// The whole process's CPU, as a share of one core, over a stretch of wall time; callbacks a second; and the
// driver's pace, the device's output frames a wall second against its rate (SDL's dummy driver runs fast).
void processLoad(double seconds, double& percent, double& callbacks, double& pace)
{
    const std::uint64_t frames0 = DX7Sound::DS->framesMixed();
    const double cpu0 = bench::processCpuMs();
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    percent = (bench::processCpuMs() - cpu0) / wall * 100;
    const auto frames = double(DX7Sound::DS->framesMixed() - frames0);
    callbacks = frames / platform::SoundDevice::kBlockFrames / (wall / 1000);
    pace = frames / (wall / 1000) / DX7Sound::DS->rate();
}

void mixFigures(const std::filesystem::path& folder)
{
    std::printf("mixing: all 11 slots looping, the mix alone, offline, per second of output, median of 15\n");
    double alone[2] = {};
    int index = 0;
    for (int rate : { 44100, 48000 }) {
        auto offline = platform::SoundDevice::openOffline();
        std::vector<std::shared_ptr<platform::SoundBuffer>> voices;
        for (int slot = 0; slot < 11; ++slot) {
            const std::string file = makeWav(folder, "mix" + std::to_string(rate) + "_" + std::to_string(slot) + ".wav",
                                             rate, 1.0 + 0.37 * slot);
            voices.push_back(offline->createSoundBufferFromFile(file));
            voices.back()->setVolume((90 - slot) * 60 - 6000);
            voices.back()->play(platform::kPlayLooping);
        }
        std::vector<float> block(2 * platform::SoundDevice::kBlockFrames);
        std::vector<double> costs;
        for (int run = 0; run < 15; ++run) {
            const double cpu0 = bench::threadCpuMs();
            for (int done = 0; done < offline->rate(); done += platform::SoundDevice::kBlockFrames) {
                offline->render(block.data(), platform::SoundDevice::kBlockFrames);
            }
            costs.push_back(bench::threadCpuMs() - cpu0);
        }
        std::sort(costs.begin(), costs.end());
        alone[index++] = costs[7] / 10.0;
    }
    std::printf("  44.1 kHz material: %.3f %% of a core; 48 kHz material: %.3f %%\n", alone[0], alone[1]);
}

void idleFigures(const std::string& file)
{
    std::printf("nothing playing, whole process over 20 s: resting, against the device kept running by one slot at "
                "level 0\n");
    double percent[2] = {};
    double callbacks[2] = {};
    double pace[2] = {};
    bench::waitUntil([] { return DX7Sound::DS->resting(); }, 10);
    processLoad(20, percent[0], callbacks[0], pace[0]);
    DX7Sound::LoadPlayBuffer(10, file, 0, 50, 1);
    processLoad(20, percent[1], callbacks[1], pace[1]);
    DX7Sound::StopBuffer(10);
    std::printf("  resting: %.3f %% of a core, %.0f callbacks a second; kept running: %.3f %%, %.0f callbacks a "
                "second at the driver's pace of %.3f x real time, so %.3f %% and %.0f callbacks in real time\n",
                percent[0], callbacks[0], percent[1], callbacks[1], pace[1], percent[1] / pace[1],
                callbacks[1] / pace[1]);
}

void reloadFigures(const std::string& file, bool withoutCache)
{
    DX7Sound::LoadPlayBuffer(0, file, 80, 50, 1);
    // Lets the audio thread let go of replaced buffers; the next call frees them.
    const auto settle = [] {
        const std::uint64_t now = DX7Sound::DS->framesMixed();
        const std::uint64_t later = now + 3 * platform::SoundDevice::kBlockFrames;
        bench::waitUntil([&] { return DX7Sound::DS->framesMixed() >= later; }, 10);
        DX7Sound::PlayBuffer(0, 1);
        return heapInUse();
    };
    // The heap counts as in use what glibc keeps in its per-thread cache of freed small blocks (up to 7 of each
    // size): which of them sit there depends on how the audio thread let go of the last buffers, so the figure
    // steps by a few hundred bytes and stops. The same run is made again in a fresh process with that cache off.
    const std::string how = withoutCache ? ", in a fresh process with glibc's per-thread cache off (GLIBC_TUNABLES="
            + kNoCache + ")"
                                         : "";
    std::printf("memory: 5000 reloads of one playing slot on the device thread (one buffer: %zu bytes)%s\n",
                DX7Sound::SoundBuffers[0].Buffer->fileFrames() * 4, how.c_str());
    long long first = 0;
    for (int i = 1; i <= 5000; ++i) {
        DX7Sound::LoadPlayBuffer(0, file, 80, 50, 1);
        if (i == 10 || i == 100 || i == 500 || i == 1000 || i == 2000 || i == 5000) {
            const long long heap = settle();
            first = first == 0 ? heap : first;
            std::printf("  heap after %4d reloads: %lld bytes (%+lld since 10)\n", i, heap, heap - first);
        }
    }
    DX7Sound::StopBuffer(0);
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    const bool reloadsOnly = argc > 1 && std::string(argv[1]) == kReloadsOnly;
    const std::filesystem::path folder = std::filesystem::temp_directory_path()
        / (reloadsOnly ? "corvadel-bench-engine-reloads" : "corvadel-bench-engine");
    std::filesystem::create_directories(folder);
    if (!reloadsOnly) {
        loadFigures(folder);
    }
    if (!DX7Sound::InitDX(0)) {
        std::printf("no sound device opened\n");
        return 1;
    }
    const std::string tenth = makeWav(folder, "tenth.wav", 44100, 0.1);
    DX7Sound::InitBuffers(10, tenth);
    if (reloadsOnly) {
        reloadFigures(makeWav(folder, "reload.wav", 44100, 1), true);
        DX7Sound::Shutdown();
        std::filesystem::remove_all(folder);
        return 0;
    }
    // Rest as soon as nothing plays, so that each press below starts from rest.
    DX7Sound::DS->setRestDelay(std::chrono::milliseconds(0));
    pressFigures(folder);
    mixFigures(folder);
    idleFigures(tenth);
    reloadFigures(makeWav(folder, "reload.wav", 44100, 1), false);
    DX7Sound::Shutdown();
    std::filesystem::remove_all(folder);
    reloadFiguresWithoutCache();
    return 0;
}
