// Shared by the benchmark programs.
#pragma once

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <fcntl.h>
#include <fstream>
#include <malloc.h>
#include <spawn.h>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace bench {

// A window benchmark runs without a screen and, unless told otherwise, with SDL's silent driver.
inline void headlessDefaults()
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const char* driver = ::getenv("SDL_AUDIODRIVER");
    if (driver == nullptr || *driver == '\0') {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
}

// Median wall time of a step, in milliseconds.
inline double medianMs(int runs, const std::function<void()>& step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        step();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Waits, polling, until done holds; false when it has not after `seconds`.
inline bool waitUntil(const std::function<bool()>& done, double seconds,
                      std::chrono::microseconds poll = std::chrono::microseconds(100))
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp) {
            return false;
        }
        std::this_thread::sleep_for(poll);
    }
    return true;
}

// CPU time of the calling thread, and of the whole process, in milliseconds.
inline double cpuMs(clockid_t clock)
{
    timespec t {};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}
inline double threadCpuMs()
{
    return cpuMs(CLOCK_THREAD_CPUTIME_ID);
}
inline double processCpuMs()
{
    return cpuMs(CLOCK_PROCESS_CPUTIME_ID);
}

// Writes `seconds` of a two-tone signal as a WAV file of the given libsndfile subtype; returns its path.
inline std::string makeWav(const std::filesystem::path& folder, const std::string& name, int rate, int channels,
                           int subtype, double seconds, int container = SF_FORMAT_WAV)
{
    const std::string path = (folder / name).string();
    SF_INFO info {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = container | subtype;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> s(frames * std::size_t(channels));
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] = 0.4f * std::sin(float(i) * 0.01f) + 0.1f * std::sin(float(i) * 0.37f);
    }
    sf_writef_float(f, s.data(), sf_count_t(frames));
    sf_close(f);
    return path;
}

// The baseline of a load: the whole file read() into fresh memory, in this process.
inline void readWhole(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st
    { };
    ::fstat(fd, &st);
    char* memory = static_cast<char*>(std::malloc(std::size_t(st.st_size)));
    for (off_t done = 0; done < st.st_size;) {
        const ssize_t got = ::read(fd, memory + done, std::size_t(st.st_size - done));
        if (got <= 0) {
            break;
        }
        done += got;
    }
    ::close(fd);
    std::free(memory);
}

// From here on every large block comes fresh from the system (and is given back when freed), for a load and
// for its baseline alike: glibc otherwise keeps freed blocks, and the pages of the last load serve the next.
inline void freshLargeBlocks()
{
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    malloc_trim(0);
}

// Bytes the heap has handed out, large blocks included.
inline long long heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<long long>(m.uordblks + m.hblkhd);
}

// A field of /proc/self/status, in KB; -1 when missing.
inline long statusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(std::string(field).size()));
        }
    }
    return -1;
}

// Peak resident memory that a step adds, in KB: the high-water mark is reset to the current size first.
inline long peakKb(const std::function<void()>& step)
{
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKb("VmRSS:");
    step();
    return statusKb("VmHWM:") - before;
}

// Bytes this process has read so far through read() and its kin, from the page cache or the disk alike
// (rchar of /proc/self/io).
inline unsigned long long bytesRead()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    unsigned long long value = 0;
    while (io >> key >> value && key != "rchar:") { }
    return value;
}

// Bytes a step reads, less what reading /proc/self/io itself counts (the same to within a few bytes each time).
inline long long bytesReadBy(const std::function<void()>& step)
{
    const unsigned long long itself = bytesRead();
    const unsigned long long before = bytesRead();
    step();
    const unsigned long long after = bytesRead();
    return static_cast<long long>(after - before) - static_cast<long long>(before - itself);
}

// Starts a program with this process's environment, less and then plus the "NAME=value" settings given;
// its process id, or 0 when it could not start.
inline pid_t spawnWith(const std::string& exe, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& settings)
{
    std::vector<std::string> env = settings;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const bool replaced = std::any_of(settings.begin(), settings.end(), [&](const std::string& s) {
            return entry.compare(0, s.find('=') + 1, s, 0, s.find('=') + 1) == 0;
        });
        if (!replaced) {
            env.push_back(entry);
        }
    }
    std::vector<char*> envp;
    for (std::string& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> args = arguments;
    args.insert(args.begin(), exe);
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    return ::posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), envp.data()) == 0 ? pid : 0;
}

} // namespace bench
