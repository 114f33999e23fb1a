#include "platform/sound/wavdecoder.h"

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

// Sample rates a file may have; outside them playing it would be absurd.
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

SampleMemory allocate(std::size_t bytes)
{
    return SampleMemory(std::malloc(bytes));
}

// Spreads mono frames, held at from (inside the same block, at or after out + frames), over both channels.
template<typename T>
void monoToStereo(T* out, const T* from, std::size_t frames)
{
    for (std::size_t i = 0; i < frames; ++i) {
        const T s = from[i];
        out[2 * i] = s;
        out[2 * i + 1] = s;
    }
}

// Reads every frame into fresh stereo memory of sample type T.
template<typename T, typename Read>
DecodedSound readStereo(SNDFILE* file, const SF_INFO& info, SampleFormat format, Read read, std::string* error)
{
    const auto frames = static_cast<std::size_t>(info.frames);
    SampleMemory memory = allocate(frames * 2 * sizeof(T));
    if (!memory) {
        return fail(error, "out of memory");
    }
    T* out = static_cast<T*>(memory.get());
    // Mono goes into the upper half and is spread out in place.
    T* target = out + (info.channels == 1 ? frames : 0);
    if (read(file, target, info.frames) != info.frames) {
        return fail(error, "the file ends early");
    }
    if (info.channels == 1) {
        monoToStereo(out, target, frames);
    }
    DecodedSound sound;
    sound.samples = std::move(memory);
    sound.format = format;
    sound.frames = frames;
    sound.rate = info.samplerate;
    return sound;
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

    if (width <= 2) {
        return readStereo<short>(file.get(), info, SampleFormat::Int16, sf_readf_short, error);
    }
    return readStereo<float>(file.get(), info, SampleFormat::Float, sf_readf_float, error);
}

} // namespace platform::sounddetail
