#include "platform/sound/riffchunks.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace platform::sounddetail {

namespace {

// Chunk and list-entry headers read in one walk, at most, so that a file of endless empty chunks (a sparse
// file, say) is refused at once instead of walked for minutes.
constexpr int kMaxChunks = 65536;
// The fixed part of a fmt chunk and the most extra bytes its 16-bit count can name.
constexpr std::uint32_t kMaxFormatBytes = 18 + 65535;
constexpr std::uint16_t kExtensibleTag = 0xFFFE;

std::uint64_t number(const unsigned char* p, int bytes, bool bigEndian)
{
    std::uint64_t n = 0;
    for (int i = 0; i < bytes; ++i) {
        n |= std::uint64_t(p[bigEndian ? bytes - 1 - i : i]) << (8 * i);
    }
    return n;
}

std::uint64_t fieldOf(const std::string& body, std::size_t at, int bytes, bool bigEndian)
{
    if (body.size() < at + std::size_t(bytes)) {
        return 0;
    }
    return number(reinterpret_cast<const unsigned char*>(body.data()) + at, bytes, bigEndian);
}

void putNumber(std::string& out, std::uint32_t n, bool bigEndian)
{
    for (int i = 0; i < 4; ++i) {
        const int shift = 8 * (bigEndian ? 3 - i : i);
        out.push_back(char((n >> shift) & 0xff));
    }
}

// A chunk id as text for a message: bytes that are not printable show as "?".
std::string idText(const unsigned char* id)
{
    std::string text;
    for (int i = 0; i < 4; ++i) {
        text.push_back(id[i] >= 0x20 && id[i] < 0x7f ? char(id[i]) : '?');
    }
    return text;
}

class ChunkReader
{
public:
    ChunkReader(int fd, std::uint64_t fileSize) : m_fd(fd), m_size(fileSize) { }

    bool read(std::uint64_t at, void* to, std::size_t bytes) const
    {
        return at <= m_size && bytes <= m_size - at
            && ::pread(m_fd, to, bytes, static_cast<off_t>(at)) == static_cast<ssize_t>(bytes);
    }

    // Reads the next chunk header at `at`, counting it against kMaxChunks.
    bool header(std::uint64_t at, unsigned char (&head)[8], std::string& why)
    {
        if (++m_headers > kMaxChunks) {
            why = "too many chunks in the file";
            return false;
        }
        if (!read(at, head, sizeof head)) {
            why = "the file cannot be read";
            return false;
        }
        return true;
    }

    std::uint64_t size() const { return m_size; }

private:
    int m_fd;
    std::uint64_t m_size;
    int m_headers = 0;
};

// Every entry of a LIST chunk's body (after its 4-byte type) must end inside the list.
bool listFits(ChunkReader& file, std::uint64_t body, std::uint64_t size, bool bigEndian, std::string& why)
{
    const std::uint64_t end = body + size;
    for (std::uint64_t at = body + 4; at + 8 <= end;) {
        unsigned char head[8];
        if (!file.header(at, head, why)) {
            return false;
        }
        const std::uint64_t entry = number(head + 4, 4, bigEndian);
        if (entry > end - at - 8) {
            why = "list entry \"" + idText(head) + "\" runs past the end of its list";
            return false;
        }
        at += 8 + entry + (entry & 1);
    }
    return true;
}

// After a data chunk of size 0: does a whole chunk follow (an empty sound), or is the size only a stand-in
// written by a program that could not come back to fill it in (a pipe)?
bool chunkFollows(const ChunkReader& file, std::uint64_t at, bool bigEndian)
{
    unsigned char head[8];
    return file.read(at, head, sizeof head) && number(head + 4, 4, bigEndian) <= file.size() - at - 8;
}

} // namespace

int WavLayout::channels() const
{
    return int(fieldOf(format, 2, 2, bigEndian));
}

std::uint32_t WavLayout::sampleRate() const
{
    return std::uint32_t(fieldOf(format, 4, 4, bigEndian));
}

std::uint32_t WavLayout::channelMask() const
{
    if (fieldOf(format, 0, 2, bigEndian) != kExtensibleTag) {
        return 0;
    }
    return std::uint32_t(fieldOf(format, 20, 4, bigEndian));
}

std::uint32_t WavLayout::blockFrames() const
{
    // ADPCM and GSM name it after the size of their extra bytes; other codecs fill whole blocks of bits.
    const auto named = std::uint32_t(format.size() >= 20 ? fieldOf(format, 18, 2, bigEndian) : 0);
    const std::uint64_t bits = fieldOf(format, 14, 2, bigEndian) * fieldOf(format, 2, 2, bigEndian);
    const std::uint64_t filled = bits == 0 ? 0 : fieldOf(format, 12, 2, bigEndian) * 8 / bits;
    return std::max(named, std::uint32_t(filled));
}

std::string WavLayout::cleanHeader() const
{
    const std::uint32_t formatBytes = std::uint32_t(format.size()) + (format.size() & 1);
    const std::uint64_t riffBytes = 4 + 8 + formatBytes + 8 + dataBytes + (dataBytes & 1);
    std::string out(bigEndian ? "RIFX" : "RIFF");
    putNumber(out, riffBytes > UINT32_MAX ? UINT32_MAX : std::uint32_t(riffBytes), bigEndian);
    out += "WAVEfmt ";
    putNumber(out, std::uint32_t(format.size()), bigEndian);
    out += format;
    out.resize(out.size() + (format.size() & 1), '\0');
    out += "data";
    putNumber(out, std::uint32_t(dataBytes), bigEndian);
    return out;
}

std::optional<WavLayout> readWavLayout(int fd, std::uint64_t fileSize, std::string& why)
{
    ChunkReader file(fd, fileSize);
    unsigned char head[12];
    WavLayout layout;
    bool rf64 = false;
    if (!file.read(0, head, sizeof head) || std::memcmp(head + 8, "WAVE", 4) != 0) {
        why = "not a WAV file";
        return std::nullopt;
    }
    if (std::memcmp(head, "RIFX", 4) == 0) {
        layout.bigEndian = true;
    } else if (std::memcmp(head, "RF64", 4) == 0 || std::memcmp(head, "BW64", 4) == 0) {
        rf64 = true;
    } else if (std::memcmp(head, "RIFF", 4) != 0) {
        why = "not a WAV file";
        return std::nullopt;
    }

    const bool big = layout.bigEndian;
    std::uint64_t ds64DataBytes = 0; // RF64: the data size that does not fit the data chunk's header
    bool haveFormat = false;
    bool haveData = false;
    bool cut = false;
    for (std::uint64_t at = 12; at + 8 <= fileSize;) {
        unsigned char chunk[8];
        if (!file.header(at, chunk, why)) {
            return std::nullopt;
        }
        std::uint64_t size = number(chunk + 4, 4, big);
        const std::uint64_t body = at + 8;
        const std::uint64_t room = fileSize - body;
        if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
            haveData = true;
            layout.dataOffset = body;
            if (rf64 && size == UINT32_MAX && ds64DataBytes != 0) {
                size = ds64DataBytes;
            }
            if (size > room || (size == 0 && room > 0 && !chunkFollows(file, body, big))) {
                // Written to a pipe or cut short: the sound is what the file holds.
                layout.dataBytes = room;
                cut = true;
                break;
            }
            layout.dataBytes = size;
        } else if (size > room) {
            if (haveData) {
                break; // a cut chunk after the sound costs nothing
            }
            why = "chunk \"" + idText(chunk) + "\" runs past the end of the file";
            return std::nullopt;
        } else if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
            if (size < 16 || size > kMaxFormatBytes) {
                why = "the format chunk is damaged";
                return std::nullopt;
            }
            layout.format.resize(size);
            if (!file.read(body, layout.format.data(), size)) {
                why = "the file cannot be read";
                return std::nullopt;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "fact", 4) == 0 && size >= 4) {
            unsigned char frames[4];
            if (file.read(body, frames, sizeof frames)) {
                layout.factFrames = std::uint32_t(number(frames, 4, big));
            }
        } else if (std::memcmp(chunk, "ds64", 4) == 0 && rf64 && size >= 16) {
            unsigned char bytes[8];
            if (file.read(body + 8, bytes, sizeof bytes)) {
                ds64DataBytes = number(bytes, 8, false);
            }
        } else if (std::memcmp(chunk, "LIST", 4) == 0 && !listFits(file, body, size, big, why)) {
            return std::nullopt;
        }
        at = body + size + (size & 1);
    }

    if (!haveFormat) {
        why = haveData ? "no format chunk before the end of the sound data" : "no format chunk in the file";
        return std::nullopt;
    }
    if (!haveData) {
        why = "no sound data in the file";
        return std::nullopt;
    }
    if (cut) {
        const std::uint64_t blockBytes = fieldOf(layout.format, 12, 2, big);
        if (blockBytes > 1) {
            layout.dataBytes -= layout.dataBytes % blockBytes;
        }
    }
    if (layout.dataBytes > UINT32_MAX - 4 - 8 - kMaxFormatBytes - 1 - 8) {
        why = "the file is too large to load";
        return std::nullopt;
    }
    return layout;
}

} // namespace platform::sounddetail
