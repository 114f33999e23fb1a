// Shared by the benchmark programs.
#pragma once

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <vector>

namespace bench {

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

} // namespace bench
