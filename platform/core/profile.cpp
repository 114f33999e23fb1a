#include "platform/core/profile.h"

#include "platform/core/asciicase.h"
#include "platform/core/filesys.h"
#include "platform/core/heldfolder.h"
#include "platform/core/wholefile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
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

// The text of the settings file `name` in a folder, or nullopt when it is missing, no regular file (a pipe
// never blocks us), unreadable or past the size limit. A writer reads the file it checked, never a link.
std::optional<std::string> readSettingsFile(const fs::HeldFolder& folder, const std::string& name,
                                            bool followLinks, struct stat* info = nullptr)
{
    const int fd = folder.openForReading(name, followLinks);
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

bool isEntry(const fs::HeldFolder& folder, const std::string& name, mode_t type)
{
    struct stat st;
    return ::fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && (st.st_mode & S_IFMT) == type;
}

// The entry a link leads to when that is an entry of the link's own folder (its target may name that folder
// in any way); nullopt otherwise.
std::optional<std::string> sameFolderTarget(const fs::HeldFolder& folder, const std::string& link)
{
    char target[PATH_MAX];
    const ssize_t length = ::readlinkat(folder.fd(), link.c_str(), target, sizeof target - 1);
    if (length <= 0) {
        return std::nullopt;
    }
    const fs::PathParts parts = fs::splitPath(std::string(target, std::size_t(length)));
    if (!fs::isPlainName(parts.name)) {
        return std::nullopt;
    }
    // An absolute folder ignores the descriptor; a relative one starts from the link's folder.
    const int there = ::openat(folder.fd(), parts.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat a;
    struct stat b;
    const bool same = there >= 0 && ::fstat(there, &a) == 0 && ::fstat(folder.fd(), &b) == 0 && a.st_dev == b.st_dev
        && a.st_ino == b.st_ino;
    if (there >= 0) {
        ::close(there);
    }
    return same ? std::optional<std::string>(parts.name) : std::nullopt;
}

// The regular file that writing to an existing settings file changes: the file itself, or the regular file
// in the same folder that a trusted link (or a chain of them) leads to. nullopt for anything else, so that
// a write never leaves the folder, nor goes where another user's link sends it; `why` then says why when
// the file was a link.
std::optional<std::string> writableTarget(const fs::HeldFolder& folder, const std::string& existing, std::string& why)
{
    std::string name = existing;
    for (int step = 0; step < 40; ++step) { // as many links as the system follows in one path
        if (isEntry(folder, name, S_IFREG)) {
            return name;
        }
        if (!isEntry(folder, name, S_IFLNK)) {
            break;
        }
        if (!folder.isTrustedLink(name)) {
            why = "a link another user made";
            return std::nullopt;
        }
        const auto next = sameFolderTarget(folder, name);
        if (!next) {
            break;
        }
        name = *next;
    }
    if (isEntry(folder, existing, S_IFLNK)) {
        why = "a link that leads to no file of its own folder";
    }
    return std::nullopt;
}

// Why old content is no settings text, or nullptr. Lines written into it would break it for whoever
// wrote it (another system's UTF-16 file, a sound), so it is read but never rewritten.
const char* notSettingsText(std::string_view text)
{
    static constexpr std::string_view kRiffHeaders[] = { "RIFF", "RIFX", "RF64" };
    for (const std::string_view header : kRiffHeaders) {
        if (text.substr(0, header.size()) == header) {
            return "a RIFF file (a sound), no settings text";
        }
    }
    if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
        return "UTF-16 text, which this program does not write";
    }
    if (text.find('\0') != std::string_view::npos) {
        return "a file with a NUL byte, no settings text";
    }
    return nullptr;
}

// A write refused for the file's sake says so, with the path, on standard error: it would otherwise leave
// no trace. The reason also goes to the caller, for a message.
bool refuse(const fs::HeldFolder& folder, const std::string& name, const std::string& why, std::string* refusal)
{
    const std::string shown = folder.shownPath(name);
    std::fprintf(stderr, "%s: %s; the settings were not written\n", shown.c_str(), why.c_str());
    if (refusal) {
        *refusal = why;
    }
    return false;
}

bool storableNames(const std::string& section, const std::string& key, const std::string& value)
{
    return !key.empty() && storable(section) && storable(key) && storable(value)
        && section.find(']') == std::string::npos && key.find('=') == std::string::npos && key.front() != '['
        && key.front() != ';';
}

// The text of the file with key set in section: an existing key's line replaced in place, a new key after
// its section's last line of content, a new section at the end; CRLF line ends; the byte-order mark kept.
std::string rewritten(std::string_view old, const std::string& section, const std::string& key,
                      const std::string& value)
{
    bool marked = false;
    const std::string_view text = withoutMark(old, &marked);
    const Location at = locate(text, section, key);
    const std::string entry = key + "=" + value;
    std::string data;
    data.reserve(old.size() + entry.size() + section.size() + 8);
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
        data += "[" + section + "]\r\n" + entry + "\r\n";
    }
    return data;
}

// The folder of a settings file's path, and the file's name in it.
fs::HeldFolder openFolderOf(const std::string& file, std::string& name)
{
    fs::PathParts parts = fs::splitPath(file);
    name = std::move(parts.name);
    return fs::HeldFolder::open(fs::resolveCase(parts.folder).value_or(parts.folder));
}

} // namespace

std::size_t getPrivateProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                                    char* buffer, std::size_t size, const std::string& file)
{
    std::string name;
    const fs::HeldFolder folder = openFolderOf(file, name);
    return getPrivateProfileString(section, key, defaultValue, buffer, size, folder, name);
}

bool writePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& file)
{
    std::string name;
    const fs::HeldFolder folder = openFolderOf(file, name);
    return writePrivateProfileString(section, key, value, folder, name);
}

std::size_t getPrivateProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                                    char* buffer, std::size_t size, const fs::HeldFolder& folder,
                                    const std::string& name)
{
    if (!buffer || size == 0) {
        return 0;
    }
    const std::string_view wantSection = trim(section);
    const std::string_view wantKey = trim(key);
    if (!wantKey.empty()) {
        const auto found = folder.findWithExtensionInAnyCase(name);
        const auto data = found ? readSettingsFile(folder, *found, true) : std::nullopt;
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
                               const fs::HeldFolder& folder, const std::string& name)
{
    return writePrivateProfileStrings(section, { { key, value } }, folder, name);
}

bool writePrivateProfileStrings(const std::string& section, const std::vector<ProfileEntry>& entries,
                                const fs::HeldFolder& folder, const std::string& name, std::string* refusal)
{
    if (refusal) {
        refusal->clear();
    }
    const std::string wantSection(trim(section));
    std::vector<std::string> keys;
    for (const ProfileEntry& entry : entries) {
        keys.emplace_back(trim(entry.key));
        if (!storableNames(wantSection, keys.back(), entry.value)) {
            return false;
        }
    }
    if (keys.empty() || !folder.isOpen() || !fs::isPlainName(name)) {
        return false;
    }

    // The file as it is in the folder (its extension in any case), or a new file.
    std::string target = name;
    std::string text;
    mode_t mode = fs::newFileMode();
    gid_t group = gid_t(-1);
    if (const auto existing = folder.findWithExtensionInAnyCase(name)) {
        std::string why;
        const auto writable = writableTarget(folder, *existing, why);
        if (!writable) {
            return why.empty() ? false : refuse(folder, *existing, why, refusal);
        }
        struct stat st;
        auto data = ::faccessat(folder.fd(), writable->c_str(), W_OK, 0) == 0
            ? readSettingsFile(folder, *writable, false, &st)
            : std::nullopt;
        if (!data) {
            return false;
        }
        if (const char* broken = notSettingsText(*data)) {
            return refuse(folder, *existing, broken, refusal);
        }
        target = *writable;
        text = std::move(*data);
        mode = st.st_mode & 07777;
        group = st.st_gid;
    }

    for (std::size_t i = 0; i < keys.size(); ++i) {
        text = rewritten(text, wantSection, keys[i], entries[i].value);
    }
    // A file that would pass the size limit would read as empty from then on: it stays as it is.
    if (text.size() > kMaxFileSize) {
        return false;
    }
    return fs::writeFileWhole(folder, target, text, mode, fs::Placement::Replace, group);
}

} // namespace platform
