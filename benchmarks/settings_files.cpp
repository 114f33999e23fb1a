// Figures of the settings-file reader: time, peak memory and bytes read to read one key, against reading the
// same file's bytes into memory, for a set's file, for 1 MB of line breaks (the most a settings file may hold)
// and for 200 MB of them (read as holding nothing).
#include "benchmarks/benchsupport.h"
#include "platform/core/profile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

void figures(const char* what, const std::string& path, int runs)
{
    char value[2048];
    const auto readKey = [&] {
        platform::getPrivateProfileString("S", "k", "-", value, sizeof value, path);
    };
    const auto readBytes = [&] {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        value[0] = bytes.empty() ? 0 : bytes[0];
    };
    // Memory first, while the heap has not yet kept pages from earlier runs.
    const long keyKb = bench::peakKb(readKey);
    const long bytesKb = bench::peakKb(readBytes);
    const long long keyRead = bench::bytesReadBy(readKey);
    const long long bytesRead = bench::bytesReadBy(readBytes);
    const double keyMs = bench::medianMs(runs, readKey);
    const double bytesMs = bench::medianMs(runs, readBytes);
    std::printf("  %-36s key %8.3f ms %7ld KB peak %10lld bytes read | bytes %8.3f ms %7ld KB peak %10lld bytes "
                "read\n",
                what, keyMs, keyKb, keyRead, bytesMs, bytesKb, bytesRead);
}

} // namespace

int main()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "corvadel-bench-settings";
    std::filesystem::create_directories(folder);
    const auto make = [&folder](const char* name, const std::string& text) {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    };
    const std::string set = make("set.ini",
                                 "[Vellmarin Corvadel]\r\nLevel1=80\r\nPan1=50\r\nLevel2=80\r\nPan2=50\r\nLevel3=80\r\n"
                                 "Pan3=50\r\nMute1=0\r\nMute2=0\r\nMute3=0\r\n[S]\r\nk=1\r\n");
    const std::string breaks = make("breaks.ini", std::string((1 << 20) - 16, '\n') + "[S]\nk=found\n");
    const std::string huge = make("huge.ini", std::string(200 << 20, '\n') + "[S]\nk=found\n");

    std::printf("settings: one key read (median), against reading the file's bytes into memory\n");
    figures("a set's settings file (140 bytes)", set, 201);
    figures("1 MB of line breaks, key at the end", breaks, 21);
    figures("200 MB of line breaks (too large)", huge, 5);
    std::filesystem::remove_all(folder);
    return 0;
}
