#include "platform/sound/wavdecoder.h"

#include "platform/sound/riffchunks.h"
#include "platform/sound/soundlimits.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::sounddetail {

namespace {

// Samples decoded at a time before they are mixed down to stereo.
constexpr std::size_t kBlockSamples = 65536;
constexpr float kMinusThreeDecibels = 0.70710678f;

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) { }
    ~FileDescriptor()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// What libsndfile reads: our clean header, then the file's sound data, so that it never sees the rest.
struct CleanFile
{
    int fd;
    std::string header;
    std::uint64_t dataOffset;
    std::uint64_t dataBytes;
    sf_count_t position = 0;

    sf_count_t length() const { return sf_count_t(header.size() + dataBytes); }
};

sf_count_t cleanLength(void* file)
{
    return static_cast<CleanFile*>(file)->length();
}

sf_count_t cleanSeek(sf_count_t offset, int whence, void* data)
{
    auto* file = static_cast<CleanFile*>(data);
    const sf_count_t from = whence == SEEK_CUR ? file->position : whence == SEEK_END ? file->length() : 0;
    // Any place at or after the start will do; reading past the end gives nothing.
    if (offset < -from || offset > INT64_MAX - from) {
        return -1;
    }
    file->position = from + offset;
    return file->position;
}

sf_count_t cleanRead(void* to, sf_count_t count, void* data)
{
    auto* file = static_cast<CleanFile*>(data);
    auto* out = static_cast<char*>(to);
    sf_count_t done = 0;
    const auto headerBytes = sf_count_t(file->header.size());
    if (file->position < headerBytes && count > 0) {
        const sf_count_t n = std::min(count, headerBytes - file->position);
        std::memcpy(out, file->header.data() + file->position, std::size_t(n));
        done = n;
        file->position += n;
    }
    const sf_count_t n = std::min(count - done, file->length() - file->position);
    if (n > 0) {
        const auto at = static_cast<off_t>(file->dataOffset + std::uint64_t(file->position - headerBytes));
        const ssize_t got = ::pread(file->fd, out + done, std::size_t(n), at);
        if (got > 0) {
            done += got;
            file->position += got;
        }
    }
    return done;
}

sf_count_t cleanWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t cleanTell(void* file)
{
    return static_cast<CleanFile*>(file)->position;
}

class SoundFile
{
public:
    SoundFile(CleanFile& file, SF_INFO* info)
    {
        SF_VIRTUAL_IO io { cleanLength, cleanSeek, cleanRead, cleanWrite, cleanTell };
        m_file = sf_open_virtual(&io, SFM_READ, info, &file);
    }
    ~SoundFile()
    {
        if (m_file != nullptr) {
            sf_close(m_file);
        }
    }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;
    SNDFILE* get() const { return m_file; }

private:
    SNDFILE* m_file = nullptr;
};

DecodedSound fail(std::string* error, const std::string& why)
{
    if (error != nullptr) {
        *error = why;
    }
    return {};
}

// A size as it is: whole mebibytes as "N MB", anything else in bytes, so that a message never rounds a size
// that passes a limit down onto the limit.
std::string sizeText(std::uint64_t bytes)
{
    constexpr std::uint64_t kMegabyte = 1 << 20;
    return bytes % kMegabyte == 0 ? std::to_string(bytes / kMegabyte) + " MB" : std::to_string(bytes) + " bytes";
}

// Encodings of 16 bits or fewer, which lose nothing as 16-bit samples.
bool sixteenBitsOrFewer(int subtype)
{
    switch (subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_GSM610:
    case SF_FORMAT_VOX_ADPCM:
    case SF_FORMAT_G721_32:
    case SF_FORMAT_G723_24:
    case SF_FORMAT_G723_40:
    case SF_FORMAT_NMS_ADPCM_16:
    case SF_FORMAT_NMS_ADPCM_24:
    case SF_FORMAT_NMS_ADPCM_32:
        return true;
    default:
        return false;
    }
}

// Encodings whose last block is padded out, so that the fact chunk's frame count is the true length.
bool padsItsLastBlock(int subtype)
{
    return sixteenBitsOrFewer(subtype) && subtype != SF_FORMAT_PCM_S8 && subtype != SF_FORMAT_PCM_U8
        && subtype != SF_FORMAT_PCM_16 && subtype != SF_FORMAT_ULAW && subtype != SF_FORMAT_ALAW;
}

// Speakers of WAVE_FORMAT_EXTENSIBLE's mask.
enum Speaker : std::uint32_t {
    kFrontLeft = 0x1,
    kFrontRight = 0x2,
    kFrontCentre = 0x4,
    kLowFrequency = 0x8,
    kBackLeft = 0x10,
    kBackRight = 0x20,
    kFrontLeftOfCentre = 0x40,
    kFrontRightOfCentre = 0x80,
    kBackCentre = 0x100,
    kSideLeft = 0x200,
    kSideRight = 0x400,
    kTopCentre = 0x800,
    kTopFrontLeft = 0x1000,
    kTopFrontCentre = 0x2000,
    kTopFrontRight = 0x4000,
    kTopBackLeft = 0x8000,
    kTopBackCentre = 0x10000,
    kTopBackRight = 0x20000,
};

// The layouts assumed for files that name no speakers.
std::uint32_t usualMask(int channels)
{
    constexpr std::uint32_t kFront = kFrontLeft | kFrontRight;
    switch (channels) {
    case 3:
        return kFront | kFrontCentre;
    case 4:
        return kFront | kBackLeft | kBackRight;
    case 5:
        return kFront | kFrontCentre | kBackLeft | kBackRight;
    case 6:
        return kFront | kFrontCentre | kLowFrequency | kBackLeft | kBackRight;
    case 7:
        return kFront | kFrontCentre | kLowFrequency | kBackCentre | kSideLeft | kSideRight;
    default:
        return kFront | kFrontCentre | kLowFrequency | kBackLeft | kBackRight | kSideLeft | kSideRight;
    }
}

struct Gains
{
    float left, right;
};

Gains gainsOf(std::uint32_t speaker)
{
    switch (speaker) {
    case kFrontLeft:
    case kFrontLeftOfCentre:
        return { 1, 0 };
    case kFrontRight:
    case kFrontRightOfCentre:
        return { 0, 1 };
    case kLowFrequency:
        return { 0, 0 };
    case kBackLeft:
    case kSideLeft:
    case kTopFrontLeft:
    case kTopBackLeft:
        return { kMinusThreeDecibels, 0 };
    case kBackRight:
    case kSideRight:
    case kTopFrontRight:
    case kTopBackRight:
        return { 0, kMinusThreeDecibels };
    default: // centre speakers, and channels without a known speaker
        return { kMinusThreeDecibels, kMinusThreeDecibels };
    }
}

// How much of each channel goes into the left and the right side.
std::vector<Gains> downmixGains(int channels, std::uint32_t mask)
{
    if (channels == 1) {
        return { { 1, 1 } };
    }
    if (channels == 2) {
        return { { 1, 0 }, { 0, 1 } };
    }
    if (mask == 0) {
        mask = usualMask(channels);
    }
    std::vector<Gains> gains;
    for (int c = 0; c < channels; ++c) {
        const std::uint32_t speaker = mask & (~mask + 1); // lowest speaker left
        mask &= ~speaker;
        gains.push_back(gainsOf(speaker));
    }
    return gains;
}

short clean(short s)
{
    return s;
}

float clean(float s)
{
    return std::isfinite(s) ? s : 0.0f;
}

void store(float v, short& out)
{
    out = static_cast<short>(std::lrint(std::clamp(v, -32768.0f, 32767.0f)));
}

void store(float v, float& out)
{
    out = clean(v);
}

// Mixes frames of more than two channels down to stereo.
template<typename T> void downmix(const T* in, std::size_t frames, const std::vector<Gains>& gains, T* out)
{
    const std::size_t channels = gains.size();
    for (std::size_t i = 0; i < frames; ++i, in += channels) {
        float left = 0;
        float right = 0;
        for (std::size_t c = 0; c < channels; ++c) {
            const auto s = float(clean(in[c]));
            left += gains[c].left * s;
            right += gains[c].right * s;
        }
        store(left, out[2 * i]);
        store(right, out[2 * i + 1]);
    }
}

// Decodes up to `frames` frames into fresh stereo memory of sample type T, mixing the channels down.
template<typename T>
DecodedSound readStereo(SNDFILE* file, int channels, std::size_t frames, const std::vector<Gains>& gains,
                        sf_count_t (*read)(SNDFILE*, T*, sf_count_t), std::string* error)
{
    if (frames > kMaxSampleBytes / (2 * sizeof(T))) {
        const std::uint64_t bytes = frames <= UINT64_MAX / (2 * sizeof(T)) ? frames * 2 * sizeof(T) : UINT64_MAX;
        return fail(error, "the sound would take " + sizeText(bytes) + ", more than the " + sizeText(kMaxSampleBytes)
                               + " one sound may take");
    }
    SampleMemory memory(std::malloc(frames * 2 * sizeof(T)));
    if (!memory) {
        return fail(error, "out of memory");
    }
    T* out = static_cast<T*>(memory.get());
    const std::size_t block = std::max<std::size_t>(1, kBlockSamples / std::size_t(channels));
    std::vector<T> in(block * std::size_t(channels));
    std::size_t done = 0;
    while (done < frames) {
        // Stereo goes straight to its place; anything else through the block.
        T* target = channels == 2 ? out + 2 * done : in.data();
        const sf_count_t got = read(file, target, sf_count_t(std::min(block, frames - done)));
        if (got <= 0) {
            break;
        }
        const auto n = std::size_t(got);
        if (channels == 2) {
            std::transform(target, target + 2 * n, target, [](T s) { return clean(s); });
        } else if (channels == 1) {
            for (std::size_t i = 0; i < n; ++i) {
                out[2 * (done + i)] = out[2 * (done + i) + 1] = clean(in[i]);
            }
        } else {
            downmix(in.data(), n, gains, out + 2 * done);
        }
        done += n;
    }
    if (done == 0) {
        return fail(error, std::string("no sound could be decoded: ") + sf_strerror(file));
    }
    if (done < frames) {
        // A file that ends early plays what it holds; give back the rest.
        if (void* smaller = std::realloc(memory.get(), done * 2 * sizeof(T))) {
            (void)memory.release();
            memory.reset(smaller);
        }
    }
    DecodedSound sound;
    sound.samples = std::move(memory);
    sound.frames = done;
    return sound;
}

// Refuses, before any sound is read, a file whose rate cannot play or whose decoding would read far more than
// it keeps.
bool withinLimits(const WavLayout& layout, std::string& why)
{
    const std::uint32_t rate = layout.sampleRate();
    if (rate < std::uint32_t(kLowestFileRate) || rate > std::uint32_t(kHighestRate)) {
        why = "the sample rate " + std::to_string(rate) + " Hz is outside the " + std::to_string(kLowestFileRate)
            + " to " + std::to_string(kHighestRate) + " Hz a sound may have";
        return false;
    }
    if (layout.channels() < 1) {
        why = "no channels in the file";
        return false;
    }
    if (layout.channels() > kMaxChannels) {
        why = std::to_string(layout.channels()) + " channels, more than the " + std::to_string(kMaxChannels)
            + " speakers a WAV file can name";
        return false;
    }
    if (layout.dataBytes > kMaxDataBytes) {
        why = "the sound data takes " + sizeText(layout.dataBytes) + ", more than the " + sizeText(kMaxDataBytes)
            + " one file may hold";
        return false;
    }
    return true;
}

} // namespace

DecodedSound decodeWavFile(const std::string& path, std::string* error)
{
    // Not blocking: opening a pipe must not wait for a writer.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st
    { };
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        return fail(error, "cannot open the file: " + std::string(std::strerror(errno)));
    }
    if (!S_ISREG(st.st_mode)) {
        return fail(error, "not a regular file");
    }
    if (st.st_size == 0) {
        return fail(error, "the file is empty");
    }
    std::string why;
    const std::optional<WavLayout> layout = readWavLayout(fd.get(), std::uint64_t(st.st_size), why);
    if (!layout) {
        return fail(error, why);
    }
    if (!withinLimits(*layout, why)) {
        return fail(error, why);
    }

    CleanFile clean { fd.get(), layout->cleanHeader(), layout->dataOffset, layout->dataBytes };
    SF_INFO info {};
    SoundFile file(clean, &info);
    if (file.get() == nullptr) {
        return fail(error, std::string("unreadable WAV file: ") + sf_strerror(nullptr));
    }
    // The decoder's own reading of the format, held to the same limits.
    if (info.samplerate < kLowestFileRate || info.samplerate > kHighestRate || info.channels < 1
        || info.channels > kMaxChannels) {
        return fail(error, "the format chunk is damaged");
    }
    if (info.frames <= 0) {
        return fail(error, "no sound in the file");
    }
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    auto frames = static_cast<std::uint64_t>(info.frames);
    // The fact chunk can cut off the padding at the end (sox's GSM writer adds a whole block more), and no
    // more: libsndfile's IMA ADPCM writer puts half the count of a stereo file in it.
    const std::uint32_t fact = layout->factFrames.value_or(0);
    if (padsItsLastBlock(subtype) && fact > 0 && fact < frames
        && frames - fact < 2 * std::uint64_t(layout->blockFrames())) {
        frames = fact;
    }
    const std::vector<Gains> gains = downmixGains(info.channels, layout->channelMask());
    DecodedSound sound = sixteenBitsOrFewer(subtype)
        ? readStereo<short>(file.get(), info.channels, std::size_t(frames), gains, sf_readf_short, error)
        : readStereo<float>(file.get(), info.channels, std::size_t(frames), gains, sf_readf_float, error);
    if (!sound.samples) {
        return sound;
    }
    sound.format = sixteenBitsOrFewer(subtype) ? SampleFormat::Int16 : SampleFormat::Float;
    sound.rate = info.samplerate;
    return sound;
}

} // namespace platform::sounddetail
