#include "platform/core/profile.h"

#include "platform/core/asciicase.h"
#include "platform/core/filesys.h"
#include "platform/core/wholefile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A settings file past this size is no settings file: it reads as holding nothing and is never rewritten.
constexpr std::size_t kMaxFileSize = std::size_t(1) << 20;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

// Calls fn(index, line) for every line of text, each without its CRLF, LF or CR, until fn returns false.
template<class Fn> void forEachLine(std::string_view text, Fn fn)
{
    std::size_t index = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (!fn(index++, text.substr(start, i - start))) {
                return;
            }
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        fn(index, text.substr(start));
    }
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
    // "[" without "]" opens no section; such a line is read like any other.
    if (const std::size_t close = text.find(']'); text.front() == '[' && close != std::string_view::npos) {
        return { LineKind::Section, trim(text.substr(1, close - 1)), {} };
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        return { LineKind::Other, {}, {} };
    }
    return { LineKind::Key, trim(text.substr(0, eq)), trim(text.substr(eq + 1)) };
}

// Where a key is: the line of its section's header, its own line, and the section's last line of content
// (where a new key goes). Only the first section of a name counts, and in it the first key of a name.
struct Location
{
    std::optional<std::size_t> header;
    std::optional<std::size_t> key;
    std::string_view keyLine;
    std::size_t lastContent = 0;
};

Location locate(std::string_view text, std::string_view section, std::string_view key)
{
    Location at;
    bool inside = false;
    forEachLine(text, [&](std::size_t index, std::string_view raw) {
        const Line line = parse(raw);
        if (line.kind == LineKind::Section) {
            if (inside) {
                return false;
            }
            if (!at.header && ascii::equalIgnoringCase(line.name, section)) {
                at.header = at.lastContent = index;
                inside = true;
            }
        } else if (inside && (line.kind == LineKind::Key || line.kind == LineKind::Other)) {
            at.lastContent = index;
            if (line.kind == LineKind::Key && ascii::equalIgnoringCase(line.name, key)) {
                at.key = index;
                at.keyLine = raw;
                return false;
            }
        }
        return true;
    });
    return at;
}

// The text of a settings file, or nullopt when it is missing, no regular file (a pipe never blocks us),
// unreadable or past the size limit.
std::optional<std::string> readSettingsFile(const std::string& path, struct stat* info = nullptr)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st;
    std::optional<std::string> data;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && std::size_t(st.st_size) <= kMaxFileSize) {
        // Room for one byte more than the file holds shows a file that grew meanwhile; it may grow up to
        // one byte past the limit, which makes it too large.
        std::string text(std::size_t(st.st_size) + 1, '\0');
        std::size_t done = 0;
        ssize_t n = 0;
        while ((n = ::read(fd, text.data() + done, text.size() - done)) > 0 || (n < 0 && errno == EINTR)) {
            done += n > 0 ? std::size_t(n) : 0;
            if (done == text.size() && done <= kMaxFileSize) {
                text.resize(std::min(done * 2, kMaxFileSize + 1));
            } else if (done == text.size()) {
                break;
            }
        }
        if (n >= 0 && done <= kMaxFileSize) {
            text.resize(done);
            data = std::move(text);
            if (info) {
                *info = st;
            }
        }
    }
    ::close(fd);
    return data;
}

// The text without a leading UTF-8 byte-order mark; hadMark says whether it had one.
std::string_view withoutMark(std::string_view text, bool* hadMark = nullptr)
{
    const bool marked = text.substr(0, kByteOrderMark.size()) == kByteOrderMark;
    if (hadMark) {
        *hadMark = marked;
    }
    return marked ? text.substr(kByteOrderMark.size()) : text;
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

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The regular file that writing to an existing settings file changes: the file itself, or the regular file
// in the same folder that a link leads to. nullopt for anything else, so that a write never leaves the
// folder through a link.
std::optional<std::string> writableTarget(const std::string& existing)
{
    struct stat st;
    if (::lstat(existing.c_str(), &st) != 0) {
        return std::nullopt;
    }
    if (S_ISREG(st.st_mode)) {
        return existing;
    }
    char target[PATH_MAX];
    char folder[PATH_MAX];
    if (!S_ISLNK(st.st_mode) || !::realpath(existing.c_str(), target)
        || !::realpath(folderOf(existing).c_str(), folder) || folderOf(target) != folder
        || ::stat(target, &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return std::string(target);
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
        const auto data = path ? readSettingsFile(*path) : std::nullopt;
        if (data) {
            const Location at = locate(withoutMark(*data), wantSection, wantKey);
            if (at.key) {
                return copyTruncated(unquote(parse(at.keyLine).value), buffer, size);
            }
        }
    }
    std::string_view fallback = defaultValue;
    while (!fallback.empty() && fallback.back() == ' ') {
        fallback.remove_suffix(1);
    }
    return copyTruncated(fallback, buffer, size);
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
    std::string old;
    mode_t mode = fs::newFileMode();
    if (const auto existing = fs::resolveCase(file)) {
        const auto target = writableTarget(*existing);
        struct stat st;
        auto data = target && ::access(target->c_str(), W_OK) == 0 ? readSettingsFile(*target, &st) : std::nullopt;
        if (!data) {
            return false;
        }
        path = *target;
        old = std::move(*data);
        mode = st.st_mode & 07777;
    } else {
        const std::size_t slash = file.rfind('/');
        const auto resolvedFolder = fs::resolveCase(folderOf(file));
        const std::string name = file.substr(slash == std::string::npos ? 0 : slash + 1);
        if (!resolvedFolder || name.empty()) {
            return false;
        }
        path = (resolvedFolder->back() == '/' ? *resolvedFolder : *resolvedFolder + "/") + name;
    }

    bool marked = false;
    const std::string_view text = withoutMark(old, &marked);
    const Location at = locate(text, wantSection, wantKey);
    const std::string entry = wantKey + "=" + value;
    std::string data;
    data.reserve(old.size() + entry.size() + wantSection.size() + 8);
    if (marked) {
        data += kByteOrderMark;
    }
    forEachLine(text, [&](std::size_t index, std::string_view line) {
        if (at.key && index == *at.key) {
            data += parse(line).name; // the file's spelling of the key stays
            data += "=" + value;
        } else {
            data += line;
        }
        data += "\r\n";
        // A new key goes after the section's last line of content, so that blank lines and comments before
        // the next section stay with it.
        if (!at.key && at.header && index == at.lastContent) {
            data += entry + "\r\n";
        }
        return true;
    });
    if (!at.header) {
        data += "[" + wantSection + "]\r\n" + entry + "\r\n";
    }
    return fs::writeFileWhole(path, data, mode, fs::Placement::Replace);
}

} // namespace platform
