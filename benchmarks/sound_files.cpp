// Figures of the WAV loader: decoding against reading the file and against libsndfile reading it alone, the
// memory a decoded file holds, and how fast files that must not load are refused.
// Usage: bench_sound_files. Prints its figures; checks nothing.
#include "benchmarks/benchsupport.h"
#include "platform/sound/wavdecoder.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using platform::sounddetail::decodeWavFile;

using bench::heapInUse;
using bench::makeWav;

// libsndfile alone, reading the whole file as it is stored: what decoding costs before our checks.
void readPlain(const std::string& path)
{
    SF_INFO info {};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    std::vector<float> all(std::size_t(info.frames) * std::size_t(info.channels));
    sf_readf_float(f, all.data(), info.frames);
    sf_close(f);
}

void decodeFigures(const std::filesystem::path& folder)
{
    struct File
    {
        const char* what;
        std::string path;
    };
    const File files[] = {
        { "30 s 44.1 kHz 16-bit stereo", makeWav(folder, "a.wav", 44100, 2, SF_FORMAT_PCM_16, 30) },
        { "30 s 48 kHz 24-bit stereo", makeWav(folder, "b.wav", 48000, 2, SF_FORMAT_PCM_24, 30) },
        { "30 s 44.1 kHz IMA ADPCM stereo", makeWav(folder, "c.wav", 44100, 2, SF_FORMAT_IMA_ADPCM, 30) },
        { "30 s 48 kHz 16-bit 6 channels", makeWav(folder, "d.wav", 48000, 6, SF_FORMAT_PCM_16, 30, SF_FORMAT_WAVEX) },
        { "1 MB at 1000 Hz 8-bit mono", makeWav(folder, "e.wav", 1000, 1, SF_FORMAT_PCM_U8, 1000) },
    };
    std::printf("decode: median of 11; against `cat FILE > /dev/null` and against libsndfile reading it alone\n");
    for (const File& f : files) {
        const std::string cat = "cat '" + f.path + "' > /dev/null";
        const double read = bench::medianMs(11, [&] { (void)std::system(cat.c_str()); });
        const double plain = bench::medianMs(11, [&] { readPlain(f.path); });
        const double decode = bench::medianMs(11, [&] { decodeWavFile(f.path, nullptr); });
        std::printf("  %-32s decode %7.2f ms, libsndfile alone %7.2f ms, cat %5.2f ms\n", f.what, decode, plain, read);
    }
    std::printf("memory: heap held by one decoded file, against the file's size\n");
    for (const File& f : files) {
        const long long before = heapInUse();
        const auto sound = decodeWavFile(f.path, nullptr);
        const long long held = heapInUse() - before;
        std::printf("  %-32s %6.2f MB held (%zu frames), file %6.2f MB\n", f.what, double(held) / 1e6, sound.frames,
                    double(std::filesystem::file_size(f.path)) / 1e6);
    }
}

// A little-endian WAV header of 16-bit stereo at 44.1 kHz, with extra bytes before the data chunk.
std::string header(const std::string& extra, std::uint32_t dataBytes)
{
    auto le32 = [](std::uint32_t v) { return std::string { char(v), char(v >> 8), char(v >> 16), char(v >> 24) }; };
    std::string fmt("\x01\x00\x02\x00\x44\xac\x00\x00\x10\xb1\x02\x00\x04\x00\x10\x00", 16);
    return "RIFF" + le32(0) + "WAVEfmt " + le32(16) + fmt + extra + "data" + le32(dataBytes);
}

long peakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void refusalFigures(const std::filesystem::path& folder)
{
    const std::string hanging = (folder / "hanging.wav").string();
    const std::string sparse = (folder / "sparse.wav").string();
    const std::string small = (folder / "small.wav").string();
    std::ofstream(hanging, std::ios::binary)
        << header(std::string("LIST\x0c\0\0\0INFOISFX\xf8\xff\xff\xff", 20), 16) << std::string(16, '\0');
    const std::uint32_t claimed = 1000u << 20;
    std::ofstream(sparse, std::ios::binary) << header("", claimed);
    (void)::truncate(sparse.c_str(), off_t(44 + claimed));
    std::ofstream(small, std::ios::binary) << header("", 16) << std::string(16, '\0');
    std::printf("refusal: median of 101, against loading an 80-byte file that is sound\n");
    const double sound = bench::medianMs(101, [&] { decodeWavFile(small, nullptr); });
    const double list = bench::medianMs(101, [&] { decodeWavFile(hanging, nullptr); });
    const long peakBefore = peakKilobytes();
    const double big = bench::medianMs(101, [&] { decodeWavFile(sparse, nullptr); });
    const long peakAfter = peakKilobytes();
    std::printf("  LIST entry of 0xFFFFFFF8 bytes   %.3f ms; the sound file %.3f ms\n", list, sound);
    std::printf("  sparse file claiming 1000 MB     %.3f ms, peak memory of the process %+ld KB\n", big,
                peakAfter - peakBefore);
}

} // namespace

int main()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "corvadel-bench-files";
    std::filesystem::create_directories(folder);
    decodeFigures(folder);
    refusalFigures(folder);
    std::filesystem::remove_all(folder);
    return 0;
}
