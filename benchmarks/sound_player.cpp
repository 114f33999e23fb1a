// The real player's CPU while a set of three layers loops: the Corvadel built beside this program (in
// build-bench/bin/), copied into a program folder of its own, its window on a virtual display (Xvfb), SDL's
// dummy driver, a press on the set's first phrase (xdotool). The whole process's CPU comes from /proc (every thread's time on a core), beside the same player idle, its
// device resting. SDL's dummy driver runs faster than real time, so the mix does more work a second than on a
// sound card: its pace is measured in the same run, by a device of this process on the same driver, and the
// figure is divided by it.
// Usage: bench_sound_player. Starts itself again under xvfb-run, on a display of its own (never the user's:
// it moves the pointer); needs xdotool.
#include "benchmarks/benchsupport.h"
#include "platform/sound/sounddevice.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kIdleSeconds = 10;
constexpr double kPlayingSeconds = 20;

// What a command prints, without its last line break; empty when it fails.
std::string output(const std::string& command)
{
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p) != nullptr) {
            out += buffer;
        }
        if (::pclose(p) != 0) {
            out.clear();
        }
    }
    while (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out;
}

// Nanoseconds the process's threads have spent on a core, from /proc.
double cpuNanoseconds(pid_t pid)
{
    double total = 0;
    std::error_code error;
    for (const fs::directory_entry& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream stat(task.path() / "schedstat");
        double onCpu = 0;
        if (stat >> onCpu) {
            total += onCpu;
        }
    }
    return total;
}

// Whether one of the process's threads is SDL's audio thread: the device is awake.
bool deviceAwake(pid_t pid)
{
    std::error_code error;
    for (const fs::directory_entry& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name.rfind("SDLAudio", 0) == 0) {
            return true;
        }
    }
    return false;
}

// The process's CPU as a share of one core over `seconds` of wall time; with a device of this process, the
// pace of its driver (output frames a wall second, against the device's rate) over the same time.
double coreShare(pid_t pid, double seconds, const platform::SoundDevice* paced = nullptr, double* pace = nullptr)
{
    const double cpu0 = cpuNanoseconds(pid);
    const std::uint64_t frames0 = paced != nullptr ? paced->framesMixed() : 0;
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    if (paced != nullptr && pace != nullptr) {
        *pace = double(paced->framesMixed() - frames0) / wall / paced->rate();
    }
    return (cpuNanoseconds(pid) - cpu0) / 1e9 / wall * 100;
}

// A program folder: the player, its options (Auto Play and Phrase Sync on), and one phrase folder holding one
// set of three 10 s layers at the rate, each at full level.
fs::path programFolder(const fs::path& root, const fs::path& player, int rate)
{
    const fs::path folder = root / ("player" + std::to_string(rate));
    fs::create_directories(folder / "Loops");
    fs::create_directories(folder / "tmp");
    fs::copy_file(player, folder / "Corvadel", fs::copy_options::overwrite_existing);
    std::ofstream(folder / "Corvadel.ini", std::ios::binary)
        << "[Vellmarin Corvadel]\r\nShowEnding=1\r\nAutoPlay=1\r\nPhraseSync=1\r\n";
    std::ofstream(folder / "Loops" / "Loop.ini", std::ios::binary)
        << "[Vellmarin Corvadel]\r\nLevel1=100\r\nLevel2=100\r\nLevel3=100\r\n";
    for (int k = 1; k <= 3; ++k) {
        bench::makeWav(folder / "Loops", "Loop_" + std::to_string(k) + ".wav", rate, 2, SF_FORMAT_PCM_16, 10);
    }
    return folder;
}

pid_t startPlayer(const fs::path& folder)
{
    return bench::spawnWith((folder / "Corvadel").string(), {},
                            { "SDL_AUDIODRIVER=dummy", "QT_QPA_PLATFORM=xcb", "TMPDIR=" + (folder / "tmp").string() });
}

// Presses the first entry of the first phrase list: the set starts, all three layers together.
bool pressFirstSet()
{
    const std::string window
        = output("xdotool search --sync --onlyvisible --name '^Vellmarin Corvadel$' 2>/dev/null | head -n 1");
    if (window.empty()) {
        return false;
    }
    int left = 0, top = 0, height = 0;
    const std::string geometry = output("xdotool getwindowgeometry --shell " + window);
    std::sscanf(geometry.c_str() + geometry.find("X="), "X=%d", &left);
    std::sscanf(geometry.c_str() + geometry.find("Y="), "Y=%d", &top);
    std::sscanf(geometry.c_str() + geometry.find("HEIGHT="), "HEIGHT=%d", &height);
    // The client area is 657 pixels high below the menu bar; the first list's first entry lies at (280, 130).
    const int x = left + 232 + 2 + 16 + 30;
    const int y = top + (height - 657) + 16 + 2 + 104 + 8;
    return std::system(("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1").c_str()) == 0;
}

void endPlayer(pid_t pid)
{
    // As the close box: the player stores its options and ends.
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

} // namespace

int main(int argc, char** argv)
{
    (void)argc;
    if (std::getenv("CORVADEL_BENCH_DISPLAY") == nullptr) {
        if (output("command -v xvfb-run").empty()) {
            std::printf("the player's figures need xvfb-run and xdotool\n");
            return 0;
        }
        ::setenv("CORVADEL_BENCH_DISPLAY", "xvfb", 1);
        const std::string self = fs::read_symlink("/proc/self/exe").string();
        ::execlp("xvfb-run", "xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -nolisten tcp", self.c_str(), nullptr);
        return 1;
    }
    if (output("command -v xdotool").empty()) {
        std::printf("the player's figures need xdotool\n");
        return 0;
    }
    (void)argv;
    const fs::path player = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" / "Corvadel";
    const fs::path root = fs::temp_directory_path() / "corvadel-bench-player";
    fs::create_directories(root);

    // This process's own device on the dummy driver, kept running by a silent loop: the driver's pace.
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    auto paced = platform::SoundDevice::open("");
    const std::string silence = bench::makeWav(root, "silence.wav", 44100, 2, SF_FORMAT_PCM_16, 1);
    auto loop = paced ? paced->createSoundBufferFromFile(silence) : nullptr;
    if (!loop || !loop->setVolume(-10000) || !loop->play(platform::kPlayLooping)) {
        std::printf("no sound device opened\n");
        return 1;
    }

    std::printf("the player (its window on Xvfb, SDL's dummy driver), whole process CPU from /proc as a share of one "
                "core: idle with its device resting over %.0f s, against a set of three 10 s layers looping over "
                "%.0f s, divided by the dummy driver's pace measured meanwhile\n",
                kIdleSeconds, kPlayingSeconds);
    for (const int rate : { 44100, 48000 }) {
        const fs::path folder = programFolder(root, player, rate);
        const pid_t pid = startPlayer(folder);
        if (pid == 0) {
            std::printf("  the player did not start\n");
            return 1;
        }
        // Once its window shows and its device rests (half a second after start-up's loads).
        const bool shown = !output("xdotool search --sync --onlyvisible --name '^Vellmarin Corvadel$'").empty();
        const auto poll = std::chrono::milliseconds(20);
        const bool rested = shown && bench::waitUntil([&] { return !deviceAwake(pid); }, 10, poll);
        const double idle = coreShare(pid, kIdleSeconds);
        const bool playing = pressFirstSet() && bench::waitUntil([&] { return deviceAwake(pid); }, 10, poll);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        double pace = 0;
        const double busy = coreShare(pid, kPlayingSeconds, paced.get(), &pace);
        endPlayer(pid);
        if (!rested || !playing) {
            std::printf("  %.1f kHz: the player's device did not %s\n", rate / 1000.0, rested ? "wake" : "rest");
            continue;
        }
        std::printf("  %.1f kHz layers: %.3f %% of a core at the driver's pace of %.3f x real time, so %.3f %% in real "
                    "time; idle: %.3f %%\n",
                    rate / 1000.0, busy, pace, busy / pace, idle);
    }
    fs::remove_all(root);
    return 0;
}
