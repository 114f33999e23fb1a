#include "platform/core/profile.h"

#include "platform/core/asciicase.h"
#include "platform/core/filesys.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::vector<std::string> splitLines(const std::string& data)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] == '\r' || data[i] == '\n') {
            lines.emplace_back(data, start, i - start);
            if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < data.size()) {
        lines.emplace_back(data, start);
    }
    return lines;
}

enum class LineKind { Blank, Comment, Section, Key, Other };

struct Line
{
    LineKind kind = LineKind::Blank;
    std::string_view name; // section or key name, trimmed
    std::string_view value; // key value, trimmed
};

Line parse(std::string_view text)
{
    text = trim(text);
    if (text.empty()) {
        return {};
    }
    if (text.front() == ';') {
        return { LineKind::Comment, {}, {} };
    }
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        const std::string_view inner = text.substr(1, close == std::string_view::npos ? text.npos : close - 1);
        return { LineKind::Section, trim(inner), {} };
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        return { LineKind::Other, {}, {} };
    }
    return { LineKind::Key, trim(text.substr(0, eq)), trim(text.substr(eq + 1)) };
}

// Where a section's lines are: its header, and the first line after it that belongs to another section.
struct SectionRange
{
    std::size_t header = 0;
    std::size_t end = 0;
};

std::optional<SectionRange> findSection(const std::vector<std::string>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line line = parse(lines[i]);
        if (line.kind == LineKind::Section && ascii::equalIgnoringCase(line.name, section)) {
            std::size_t end = i + 1;
            while (end < lines.size() && parse(lines[end]).kind != LineKind::Section) {
                ++end;
            }
            return SectionRange { i, end };
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<std::string>& lines, const SectionRange& range,
                                   std::string_view key)
{
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const Line line = parse(lines[i]);
        if (line.kind == LineKind::Key && ascii::equalIgnoringCase(line.name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

// The whole of a regular file, or nullopt when it is missing or no regular file (a pipe never blocks us).
std::optional<std::string> readRegularFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st;
    std::optional<std::string> data;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        data.emplace();
        char chunk[65536];
        ssize_t n;
        while ((n = ::read(fd, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)) {
            if (n > 0) {
                data->append(chunk, std::size_t(n));
            }
        }
        if (n < 0) {
            data.reset();
        }
    }
    ::close(fd);
    return data;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::size_t copyTruncated(std::string_view text, char* buffer, std::size_t size)
{
    std::size_t n = text.size();
    if (n > size - 1) {
        n = size - 1;
        // Step back over a UTF-8 sequence that would be cut.
        std::size_t cut = n;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80 && n - cut < 3) {
            --cut;
        }
        if ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0xC0) {
            n = cut;
        }
    }
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

bool storable(const std::string& text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

bool writeAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes data to a new file beside path and renames it over path.
bool replaceFile(const std::string& path, const std::string& data, mode_t mode)
{
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    bool ok = writeAll(fd, data) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
    }
    return ok;
}

} // namespace

std::size_t getPrivateProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                                    char* buffer, std::size_t size, const std::string& file)
{
    if (!buffer || size == 0) {
        return 0;
    }
    const std::string_view wantSection = trim(section);
    const std::string_view wantKey = trim(key);
    if (!wantKey.empty()) {
        const auto path = fs::resolveCase(file);
        const auto data = path ? readRegularFile(*path) : std::nullopt;
        if (data) {
            const auto lines = splitLines(*data);
            if (const auto range = findSection(lines, wantSection)) {
                if (const auto index = findKey(lines, *range, wantKey)) {
                    return copyTruncated(unquote(parse(lines[*index]).value), buffer, size);
                }
            }
        }
    }
    return copyTruncated(defaultValue, buffer, size);
}

bool writePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& file)
{
    const std::string wantSection(trim(section));
    const std::string wantKey(trim(key));
    if (wantKey.empty() || !storable(wantSection) || !storable(wantKey) || !storable(value)
        || wantSection.find(']') != std::string::npos || wantKey.find('=') != std::string::npos
        || wantKey.front() == '[' || wantKey.front() == ';') {
        return false;
    }

    // The file as it is on disk (found in any case), or a new file in the existing folder.
    std::string path;
    std::vector<std::string> lines;
    mode_t mode = newFileMode();
    if (const auto existing = fs::resolveCase(file)) {
        char real[PATH_MAX];
        struct stat st;
        if (!::realpath(existing->c_str(), real) || ::stat(real, &st) != 0 || !S_ISREG(st.st_mode)
            || ::access(real, W_OK) != 0) {
            return false;
        }
        const auto data = readRegularFile(real);
        if (!data) {
            return false;
        }
        path = real;
        lines = splitLines(*data);
        mode = st.st_mode & 07777;
    } else {
        const std::size_t slash = file.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
        const auto resolvedFolder = fs::resolveCase(folder);
        const std::string name = file.substr(slash == std::string::npos ? 0 : slash + 1);
        if (!resolvedFolder || name.empty()) {
            return false;
        }
        path = (resolvedFolder->back() == '/' ? *resolvedFolder : *resolvedFolder + "/") + name;
    }

    const std::string entry = wantKey + "=" + value;
    if (const auto range = findSection(lines, wantSection)) {
        if (const auto index = findKey(lines, *range, wantKey)) {
            lines[*index] = std::string(parse(lines[*index]).name) + "=" + value;
        } else {
            // After the section's last line of content, so that blank lines and comments before the next
            // section stay with it.
            std::size_t at = range->header + 1;
            for (std::size_t i = range->header + 1; i < range->end; ++i) {
                const LineKind kind = parse(lines[i]).kind;
                if (kind == LineKind::Key || kind == LineKind::Other) {
                    at = i + 1;
                }
            }
            lines.insert(lines.begin() + std::ptrdiff_t(at), entry);
        }
    } else {
        lines.push_back("[" + wantSection + "]");
        lines.push_back(entry);
    }

    std::string data;
    for (const auto& line : lines) {
        data += line;
        data += "\r\n";
    }
    return replaceFile(path, data, mode);
}

} // namespace platform
