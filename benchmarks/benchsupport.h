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
#include <malloc.h>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

} // namespace bench
