// Figures of the WAV loader: how fast files that must not load are refused, how many bytes that reads and
// what memory it takes, beside files that load; decoding into fresh memory against read() of the file and
// against libsndfile reading it alone into the same sample type; the memory a decoded file holds.
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
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using platform::sounddetail::decodeWavFile;

using bench::heapInUse;
using bench::makeWav;

// libsndfile alone, reading the whole file as it is stored into fresh memory of the sample type we keep
// (16-bit for 16 bits or fewer, else float): what decoding costs before our checks and the mix-down.
void readPlain(const std::string& path, bool sixteenBits)
{
    SF_INFO info {};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    const std::size_t samples = std::size_t(info.frames) * std::size_t(info.channels);
    if (sixteenBits) {
        auto* all = static_cast<short*>(std::malloc(samples * sizeof(short)));
        sf_readf_short(f, all, info.frames);
        std::free(all);
    } else {
        auto* all = static_cast<float*>(std::malloc(samples * sizeof(float)));
        sf_readf_float(f, all, info.frames);
        std::free(all);
    }
    sf_close(f);
}

// Pages the process has touched for the first time so far.
long minorFaults()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

void decodeFigures(const std::filesystem::path& folder)
{
    struct File
    {
        const char* what;
        std::string path;
        bool sixteenBits; // kept as 16-bit samples, else float
    };
    const File files[] = {
        { "30 s 44.1 kHz 16-bit stereo", makeWav(folder, "a.wav", 44100, 2, SF_FORMAT_PCM_16, 30), true },
        { "30 s 48 kHz 24-bit stereo", makeWav(folder, "b.wav", 48000, 2, SF_FORMAT_PCM_24, 30), false },
        { "30 s 44.1 kHz IMA ADPCM stereo", makeWav(folder, "c.wav", 44100, 2, SF_FORMAT_IMA_ADPCM, 30), true },
        { "30 s 48 kHz 16-bit 6 channels", makeWav(folder, "d.wav", 48000, 6, SF_FORMAT_PCM_16, 30, SF_FORMAT_WAVEX),
          true },
        { "1 MB at 1000 Hz 8-bit mono", makeWav(folder, "e.wav", 1000, 1, SF_FORMAT_PCM_U8, 1000), true },
    };
    std::printf("decode into fresh memory, median of 11; against read() of the file into fresh memory and against "
                "libsndfile reading it alone into fresh memory of the sample type we keep (all channels)\n");
    for (const File& f : files) {
        const double read = bench::medianMs(11, [&] { bench::readWhole(f.path); });
        const double plain = bench::medianMs(11, [&] { readPlain(f.path, f.sixteenBits); });
        const long faults0 = minorFaults();
        const double decode = bench::medianMs(11, [&] { decodeWavFile(f.path, nullptr); });
        std::printf("  %-32s decode %7.2f ms (%ld pages faulted in a decode), libsndfile alone %7.2f ms, read() %5.2f "
                    "ms\n",
                    f.what, decode, (minorFaults() - faults0) / 11, plain, read);
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

// A little-endian WAV header at 44.1 kHz (16-bit stereo unless told), with extra bytes before the data chunk.
std::string header(const std::string& extra, std::uint32_t dataBytes, int channels = 2, int bits = 16)
{
    auto le16 = [](std::uint32_t v) { return std::string { char(v), char(v >> 8) }; };
    auto le32 = [](std::uint32_t v) { return std::string { char(v), char(v >> 8), char(v >> 16), char(v >> 24) }; };
    const auto align = std::uint32_t(channels * bits / 8);
    const std::string fmt = le16(bits == 32 ? 3 : 1) + le16(std::uint32_t(channels)) + le32(44100)
        + le32(44100 * align) + le16(align) + le16(std::uint32_t(bits));
    return "RIFF" + le32(0) + "WAVEfmt " + le32(16) + fmt + extra + "data" + le32(dataBytes);
}

// A file of that header whose sound data is a hole: a few bytes on disk.
void writeSparse(const std::string& path, const std::string& head, std::uint32_t dataBytes)
{
    std::ofstream(path, std::ios::binary) << head;
    (void)::truncate(path.c_str(), off_t(head.size()) + off_t(dataBytes));
}

// What a load costs: median time, the bytes it reads (one load), how far the first load raises the process's
// peak address space (so a large block it takes, even untouched, shows) and the peak resident memory that a
// second load adds (the first also brings in the decoder's code).
struct Cost
{
    double ms;
    long long bytesRead;
    long peakKb;
    long addressKb;
};
Cost costOf(const std::string& path, int runs, std::string& why)
{
    Cost cost {};
    const long addressBefore = bench::statusKb("VmPeak:");
    decodeWavFile(path, &why);
    cost.addressKb = bench::statusKb("VmPeak:") - addressBefore;
    cost.peakKb = bench::peakKb([&] { decodeWavFile(path, nullptr); });
    cost.bytesRead = bench::bytesReadBy([&] { decodeWavFile(path, nullptr); });
    cost.ms = bench::medianMs(runs, [&] { decodeWavFile(path, nullptr); });
    return cost;
}

void printCost(const char* what, const Cost& cost, const std::string& why)
{
    std::printf("  %-46s %7.3f ms, %8lld bytes read, peak memory %+6ld KB, peak address space %+6ld KB%s%s%s\n",
                what, cost.ms, cost.bytesRead, cost.peakKb, cost.addressKb, why.empty() ? "" : " (",
                why.c_str(), why.empty() ? "" : ")");
}

// Runs first, while the process's peak address space is still that of a small program.
void refusalFigures(const std::filesystem::path& folder)
{
    const std::string hanging = (folder / "hanging.wav").string();
    std::ofstream(hanging, std::ios::binary)
        << header(std::string("LIST\x0c\0\0\0INFOISFX\xf8\xff\xff\xff", 20), 16) << std::string(16, '\0');
    const std::string small = (folder / "small.wav").string();
    std::ofstream(small, std::ios::binary) << header("", 16) << std::string(16, '\0');

    // Sparse files: a header, then a hole where the claimed sound data would be.
    struct Claim
    {
        const char* what;
        std::uint32_t dataBytes;
        int channels;
        int bits;
    };
    const std::uint32_t fourGigabytes = 976562u * 4096;
    const Claim claims[] = {
        { "sparse, claims 1000 MB of 16-bit stereo", 1000u << 20, 2, 16 },
        { "sparse, claims 4 GB of 16-bit stereo", fourGigabytes, 2, 16 },
        { "sparse, claims 4 GB of 1,024 channels, 8-bit", fourGigabytes, 1024, 8 },
        { "sparse, claims 4 GB of 1,024 channels, 16-bit", fourGigabytes, 1024, 16 },
        { "sparse, claims 4 GB of 1,024 channels, float", fourGigabytes, 1024, 32 },
    };
    std::printf("refusal: median of 101, against loading an 80-byte file that is sound (median of 101) and a 30 s "
                "44.1 kHz 16-bit stereo file (median of 11), each into fresh memory\n");
    std::string why;
    printCost("LIST entry of 0xFFFFFFF8 bytes (80 bytes)", costOf(hanging, 101, why), why);
    for (const Claim& c : claims) {
        const std::string path = (folder / "claim.wav").string();
        writeSparse(path, header("", c.dataBytes, c.channels, c.bits), c.dataBytes);
        why.clear();
        printCost(c.what, costOf(path, 101, why), why);
    }
    why.clear();
    printCost("the sound 80-byte file, loaded", costOf(small, 101, why), why);
    const std::string thirty = makeWav(folder, "thirty.wav", 44100, 2, SF_FORMAT_PCM_16, 30);
    printCost("the sound 30 s file, loaded", costOf(thirty, 11, why), why);
}

} // namespace

int main()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "corvadel-bench-files";
    std::filesystem::create_directories(folder);
    bench::freshLargeBlocks();
    refusalFigures(folder);
    decodeFigures(folder);
    std::filesystem::remove_all(folder);
    return 0;
}
