#include "platform/sound/wavdecoder.h"

#include <samplerate.h>
#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::sounddetail {

namespace {

// Sample rates a file may have; outside them the conversion would be absurd.
constexpr int LowestRate = 1000;
constexpr int HighestRate = 384000;

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

class SoundFile
{
public:
    SoundFile(int fd, SF_INFO* info) : m_file(sf_open_fd(fd, SFM_READ, info, SF_FALSE)) { }
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
    SNDFILE* m_file;
};

DecodedSound fail(std::string* error, const std::string& why)
{
    if (error != nullptr) {
        *error = why;
    }
    return {};
}

std::uint32_t littleEndian32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// Finds the data chunk and checks that the file holds all the bytes it claims. Returns the claimed size, or
// nothing with a reason.
std::optional<std::uint64_t> dataChunkSize(int fd, std::uint64_t fileSize, std::string& why)
{
    unsigned char head[12];
    if (::pread(fd, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head) || std::memcmp(head, "RIFF", 4) != 0
        || std::memcmp(head + 8, "WAVE", 4) != 0) {
        why = "not a WAV file";
        return std::nullopt;
    }
    std::uint64_t pos = 12;
    while (pos + 8 <= fileSize) {
        unsigned char chunk[8];
        if (::pread(fd, chunk, sizeof chunk, static_cast<off_t>(pos)) != static_cast<ssize_t>(sizeof chunk)) {
            break;
        }
        const std::uint64_t size = littleEndian32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (size > fileSize - pos - 8) {
                why = "the file holds less sound data than its header claims";
                return std::nullopt;
            }
            return size;
        }
        pos += 8 + size + (size & 1);
    }
    why = "no sound data in the file";
    return std::nullopt;
}

int bytesPerSample(int subtype)
{
    switch (subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    default:
        return 0;
    }
}

Samples allocate(std::size_t floats)
{
    return Samples(static_cast<float*>(std::malloc(floats * sizeof(float))));
}

// Spreads mono frames, held at from (inside the same block, at or after out + frames), over both channels.
void monoToStereo(float* out, const float* from, std::size_t frames)
{
    for (std::size_t i = 0; i < frames; ++i) {
        const float s = from[i];
        out[2 * i] = s;
        out[2 * i + 1] = s;
    }
}

} // namespace

DecodedSound decodeWavFile(const std::string& path, int rate, std::string* error)
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
    const std::optional<std::uint64_t> dataBytes = dataChunkSize(fd.get(), std::uint64_t(st.st_size), why);
    if (!dataBytes) {
        return fail(error, why);
    }

    SF_INFO info {};
    SoundFile file(fd.get(), &info);
    if (file.get() == nullptr) {
        return fail(error, std::string("unreadable WAV file: ") + sf_strerror(nullptr));
    }
    const int major = info.format & SF_FORMAT_TYPEMASK;
    const int width = bytesPerSample(info.format & SF_FORMAT_SUBMASK);
    if ((major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) || width == 0) {
        return fail(error, "not PCM sound");
    }
    if (info.channels < 1 || info.channels > 2) {
        return fail(error, "more than two channels");
    }
    if (info.samplerate < LowestRate || info.samplerate > HighestRate) {
        return fail(error, "unsupported sample rate");
    }
    const auto frames = static_cast<std::uint64_t>(info.frames);
    if (info.frames <= 0 || frames * std::uint64_t(info.channels) * std::uint64_t(width) > *dataBytes) {
        return fail(error, info.frames <= 0 ? "no sound in the file" : "the header does not match its data");
    }

    const auto channels = static_cast<std::size_t>(info.channels);
    const auto inFrames = static_cast<std::size_t>(frames);
    if (info.samplerate == rate) {
        // Read straight into the result; mono goes into its upper half and is spread out in place.
        Samples out = allocate(inFrames * 2);
        if (!out) {
            return fail(error, "out of memory");
        }
        float* target = out.get() + (channels == 1 ? inFrames : 0);
        if (sf_readf_float(file.get(), target, info.frames) != info.frames) {
            return fail(error, "the file ends early");
        }
        if (channels == 1) {
            monoToStereo(out.get(), target, inFrames);
        }
        return { std::move(out), inFrames };
    }

    Samples in = allocate(inFrames * channels);
    if (!in) {
        return fail(error, "out of memory");
    }
    if (sf_readf_float(file.get(), in.get(), info.frames) != info.frames) {
        return fail(error, "the file ends early");
    }
    const double ratio = double(rate) / double(info.samplerate);
    const auto room = static_cast<std::size_t>(std::ceil(double(inFrames) * ratio)) + 16;
    Samples out = allocate(room * 2);
    if (!out) {
        return fail(error, "out of memory");
    }
    float* target = out.get() + (channels == 1 ? room : 0);
    SRC_DATA data {};
    data.data_in = in.get();
    data.input_frames = static_cast<long>(inFrames);
    data.data_out = target;
    data.output_frames = static_cast<long>(room);
    data.src_ratio = ratio;
    const int failure = src_simple(&data, SRC_SINC_FASTEST, info.channels);
    if (failure != 0 || data.output_frames_gen <= 0) {
        return fail(error, std::string("rate conversion failed: ") + src_strerror(failure));
    }
    in.reset();
    const auto outFrames = static_cast<std::size_t>(data.output_frames_gen);
    if (channels == 1) {
        monoToStereo(out.get(), target, outFrames);
    }
    // Keep only what the conversion produced.
    if (outFrames < room) {
        if (auto* shrunk = static_cast<float*>(std::realloc(out.get(), outFrames * 2 * sizeof(float)))) {
            out.release();
            out.reset(shrunk);
        }
    }
    return { std::move(out), outFrames };
}

} // namespace platform::sounddetail
