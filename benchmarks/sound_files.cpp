// Figures of the WAV loader: decoding into fresh memory against read() of the file and against libsndfile
// reading it alone into the same sample type, the memory a decoded file holds, and how fast files that must
// not load are refused beside a file that loads.
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
    bench::freshLargeBlocks();
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
    writeSparse(sparse, header("", claimed), claimed);
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

    // Sparse files claiming 4 GB of 1,024 channels: their sound is small, but reading it is not.
    const std::string thirty = makeWav(folder, "thirty.wav", 44100, 2, SF_FORMAT_PCM_16, 30);
    const double load = bench::medianMs(11, [&] { decodeWavFile(thirty, nullptr); });
    std::printf("sparse claims of 4 GB of 1,024 channels, median of 101, against loading a sound 30 s 44.1 kHz 16-bit "
                "stereo file (median of 11): %.3f ms\n",
                load);
    const std::uint32_t fourGigabytes = 976562u * 4096;
    for (const int bits : { 8, 16, 32 }) {
        const std::string claim = (folder / ("claim" + std::to_string(bits) + ".wav")).string();
        writeSparse(claim, header("", fourGigabytes, 1024, bits), fourGigabytes);
        std::string why;
        const double refused = bench::medianMs(101, [&] { decodeWavFile(claim, &why); });
        std::printf("  %2d-bit%s  refused in %.3f ms (%s)\n", bits, bits == 32 ? " float" : "      ", refused,
                    why.c_str());
    }
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
