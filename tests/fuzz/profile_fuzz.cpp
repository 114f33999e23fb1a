// Settings files of any content. Reading stays within its buffer and reads only what a caller asked
// for; a write of one key reads back as written and leaves every other key as it was.
#include "platform/core/profile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// A new file holding bytes, in memory where the system has it so that each input costs no disk flush;
// removed again after the input, so a stopped run leaves at most one.
std::string fileWith(const std::uint8_t* bytes, std::size_t size)
{
    static const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string path = folder + "/corvadel-fuzz-XXXXXX.ini";
    const int fd = ::mkstemps(path.data(), 4);
    if (fd < 0 || ::write(fd, bytes, size) != ssize_t(size) || ::close(fd) != 0) {
        std::abort();
    }
    return path;
}

std::string read(const std::string& file, const char* section, const char* key, std::size_t size = 2048)
{
    std::string buffer(size + 1, '#');
    const std::size_t n = platform::getPrivateProfileString(section, key, "-", buffer.data(), size, file);
    if (n >= size || buffer[n] != '\0' || buffer[size] != '#') {
        std::abort();
    }
    return buffer.substr(0, n);
}

// False for text a write must leave alone: a NUL byte, a RIFF header or a UTF-16 byte-order mark.
bool isSettingsText(std::string_view text)
{
    for (const std::string_view start : { "RIFF", "RIFX", "RF64", "\xFF\xFE", "\xFE\xFF" }) {
        if (text.substr(0, start.size()) == start) {
            return false;
        }
    }
    return text.find('\0') == std::string_view::npos;
}

struct Name
{
    const char* section;
    const char* key;
};

// Names a settings file of this program holds, some spelled as a file might spell them.
constexpr Name kNames[] = {
    { "Vellmarin Corvadel", "Level1" },
    { "VELLMARIN CORVADEL", "pan1" },
    { "vellmarin corvadel", "ShowEnding" },
    { "S", "k" },
    { "s", "K" },
    { "", "k" },
    { "Other", "Level1" },
    { " S ", "\tk " },
};
constexpr std::size_t kNameCount = sizeof kNames / sizeof kNames[0];

bool sameName(const Name& a, const Name& b)
{
    const auto fold = [](std::string s) {
        std::string out;
        for (char c : s) {
            if (c != ' ' && c != '\t') {
                out += char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            }
        }
        return out;
    };
    return fold(a.section) == fold(b.section) && fold(a.key) == fold(b.key);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    // The first byte picks the key to write and a small buffer; the rest is the file.
    const Name& written = kNames[data[0] % kNameCount];
    const std::size_t small = 1 + data[0] / kNameCount;
    const std::string file = fileWith(data + 1, size - 1);

    std::string before[kNameCount];
    for (std::size_t i = 0; i < kNameCount; ++i) {
        before[i] = read(file, kNames[i].section, kNames[i].key);
        read(file, kNames[i].section, kNames[i].key, small);
    }
    // A regular, writable file of settings text is always written, unless its rewrite (CRLF line ends: at
    // most twice the bytes, and the new line) could pass the 1 MB a settings file may hold; then, and for
    // any other file, it stays as it was.
    const bool saved = platform::writePrivateProfileString(written.section, written.key, "v1", file);
    const bool text = isSettingsText({ reinterpret_cast<const char*>(data + 1), size - 1 });
    const bool fits = size - 1 < (std::size_t(1) << 19) - 256;
    if (saved ? !text : text && fits) {
        std::abort();
    }
    for (std::size_t i = 0; i < kNameCount; ++i) {
        const std::string after = read(file, kNames[i].section, kNames[i].key);
        if ((saved && sameName(kNames[i], written)) ? after != "v1" : after != before[i]) {
            std::abort();
        }
    }
    ::unlink(file.c_str());
    return 0;
}
