#include "platform/core/filesys.h"

#include "platform/core/asciicase.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::fs {

namespace {

bool lexists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

bool statIs(const std::string& path, mode_t type)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

// Every name in a folder except "." and ".."; "" is the current folder.
std::vector<std::string> entries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        return names;
    }
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    ::closedir(dir);
    return names;
}

std::string join(const std::string& folder, const std::string& name)
{
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Names side by side in one buffer, as a listing gathers them: cheap to collect, compare and sort.
struct NameBuffer
{
    std::string bytes;
    std::vector<std::pair<std::size_t, std::size_t>> spans; // start and length of each name
    void add(std::string_view name)
    {
        spans.emplace_back(bytes.size(), name.size());
        bytes += name;
    }
};

// The names in the order of ascii::lessIgnoringCase, without its cost per comparison: the lower-case forms
// are made once, in a buffer of their own, and most comparisons are settled by the eight bytes that follow
// the prefix all names share. The names come out in that order in memory too, so that reading them
// afterwards goes straight through.
std::vector<std::string> sortedNames(const NameBuffer& names)
{
    std::string lowered(names.bytes.size(), '\0');
    std::transform(names.bytes.begin(), names.bytes.end(), lowered.begin(), ascii::toLower);
    const auto loweredName
        = [&](std::size_t i) { return std::string_view(lowered).substr(names.spans[i].first, names.spans[i].second); };
    const auto name = [&](std::size_t i) {
        return std::string_view(names.bytes).substr(names.spans[i].first, names.spans[i].second);
    };
    std::size_t shared = names.spans.empty() ? 0 : names.spans.front().second;
    for (std::size_t i = 0; i < names.spans.size(); ++i) {
        const auto first = loweredName(0).substr(0, shared);
        const auto other = loweredName(i);
        shared
            = std::size_t(std::mismatch(first.begin(), first.end(), other.begin(), other.end()).first - first.begin());
    }
    struct Key
    {
        std::uint64_t head; // the eight bytes after the shared prefix, first byte highest, 0 past the end
        std::size_t index;
    };
    std::vector<Key> keys(names.spans.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const auto key = loweredName(i);
        keys[i].index = i;
        for (std::size_t j = shared; j < shared + 8; ++j) {
            keys[i].head = (keys[i].head << 8) | (j < key.size() ? static_cast<unsigned char>(key[j]) : 0u);
        }
    }
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (a.head != b.head) {
            return a.head < b.head;
        }
        const int byKey = loweredName(a.index).compare(loweredName(b.index));
        return byKey != 0 ? byKey < 0 : name(a.index) < name(b.index);
    });
    std::vector<std::string> sorted;
    sorted.reserve(keys.size());
    for (const Key& key : keys) {
        sorted.emplace_back(name(key.index));
    }
    return sorted;
}

// The type of a directory entry: from the entry itself where it says, else from stat(), which follows a
// symbolic link to what it leads to. 0 when it cannot be told.
mode_t entryType(int dirFd, const dirent& e)
{
    switch (e.d_type) {
    case DT_DIR:
        return S_IFDIR;
    case DT_REG:
        return S_IFREG;
    case DT_UNKNOWN:
    case DT_LNK:
        break;
    default:
        return S_IFMT; // a device, pipe or socket: never listed
    }
    struct stat st;
    return ::fstatat(dirFd, e.d_name, &st, 0) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// A path cut into its folder and its last name; trailing separators are dropped first.
struct Split
{
    std::string folder; // "" for the current folder
    std::string name;
};

Split splitLast(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return { "", path };
    }
    return { slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1) };
}

// The folder part of a target, resolved; "" (the current folder) stays as it is.
std::optional<std::string> resolveFolder(const std::string& folder)
{
    if (folder.empty()) {
        return std::string();
    }
    auto resolved = resolveCase(folder);
    if (!resolved || !statIs(*resolved, S_IFDIR)) {
        return std::nullopt;
    }
    return resolved;
}

// The names of one type in a folder (found in any case), unsorted, without the hidden ones (a leading
// "."), and for files only those that match pattern. One readdir() pass; stat() only where the entry does
// not tell its type.
NameBuffer visibleEntries(const std::string& folder, mode_t type, const std::string* pattern)
{
    NameBuffer names;
    const auto resolved = resolveFolder(folder);
    if (!resolved) {
        return names;
    }
    DIR* dir = ::opendir(resolved->empty() ? "." : resolved->c_str());
    if (!dir) {
        return names;
    }
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name.front() == '.' || (pattern && !ascii::wildcardMatch(*pattern, name))) {
            continue;
        }
        if (entryType(fd, *e) == type) {
            names.add(name);
        }
    }
    ::closedir(dir);
    return names;
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat sa;
    struct stat sb;
    return ::lstat(a.c_str(), &sa) == 0 && ::lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

bool isDeviceName(const std::string& name)
{
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.pop_back();
    }
    static constexpr std::array<std::string_view, 4> plain = { "CON", "PRN", "AUX", "NUL" };
    for (const auto device : plain) {
        if (ascii::equalIgnoringCase(base, device)) {
            return true;
        }
    }
    return base.size() == 4 && base[3] >= '1' && base[3] <= '9'
        && (ascii::equalIgnoringCase(base.substr(0, 3), "COM") || ascii::equalIgnoringCase(base.substr(0, 3), "LPT"));
}

} // namespace

std::optional<std::string> resolveCase(const std::string& path)
{
    if (path.empty()) {
        return std::nullopt;
    }
    if (lexists(path)) {
        return path;
    }
    std::string resolved = path.front() == '/' ? "/" : "";
    std::size_t pos = 0;
    while (pos < path.size()) {
        std::size_t next = path.find('/', pos);
        if (next == std::string::npos) {
            next = path.size();
        }
        const std::string part = path.substr(pos, next - pos);
        pos = next + 1;
        if (part.empty()) {
            continue;
        }
        const std::string exact = join(resolved, part);
        if (lexists(exact)) {
            resolved = exact;
            continue;
        }
        std::optional<std::string> best;
        for (const auto& name : entries(resolved)) {
            if (ascii::equalIgnoringCase(name, part) && (!best || name < *best)) {
                best = name;
            }
        }
        if (!best) {
            return std::nullopt;
        }
        resolved = join(resolved, *best);
    }
    if (path.back() == '/') {
        if (!statIs(resolved, S_IFDIR)) {
            return std::nullopt;
        }
        if (resolved.back() != '/') {
            resolved += '/';
        }
    }
    return resolved;
}

std::optional<std::string> longPathName(const std::string& path)
{
    return resolveCase(path);
}

std::vector<std::string> listSubfolders(const std::string& folder)
{
    return sortedNames(visibleEntries(folder, S_IFDIR, nullptr));
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern)
{
    return sortedNames(visibleEntries(folder, S_IFREG, &pattern));
}

bool renameNoReplace(const std::string& from, const std::string& to)
{
    const auto source = resolveCase(from);
    if (!source || to.empty() || to.back() == '/') {
        return false;
    }
    const Split target = splitLast(to);
    if (target.name.empty() || target.name == "." || target.name == "..") {
        return false;
    }
    const auto folder = resolveFolder(target.folder);
    if (!folder) {
        return false;
    }
    // A name that differs only in case is taken, unless it is the file itself.
    for (const auto& name : entries(*folder)) {
        if (ascii::equalIgnoringCase(name, target.name) && !sameFile(join(*folder, name), *source)) {
            return false;
        }
    }
    const std::string dest = join(*folder, target.name);
    if (::renameat2(AT_FDCWD, source->c_str(), AT_FDCWD, dest.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return false;
    }
    // File systems without the no-replace rename: a new link fails when the target exists.
    if (::link(source->c_str(), dest.c_str()) != 0) {
        return false;
    }
    if (::unlink(source->c_str()) != 0) {
        ::unlink(dest.c_str());
        return false;
    }
    return true;
}

bool isValidNewName(const std::string& name)
{
    if (name.empty() || name.size() > 255 || name == "." || name == "..") {
        return false;
    }
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 32 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) {
            return false;
        }
    }
    return name.back() != ' ' && name.back() != '.' && !isDeviceName(name);
}

bool setAttributesNormal(const std::string& path)
{
    const auto resolved = resolveCase(path);
    struct stat st;
    // A link is left alone: its target may lie anywhere, outside the folder the program works in.
    if (!resolved || ::lstat(resolved->c_str(), &st) != 0 || S_ISLNK(st.st_mode)) {
        return false;
    }
    return ::chmod(resolved->c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool removeFile(const std::string& path)
{
    const auto resolved = resolveCase(path);
    struct stat st;
    if (!resolved || ::lstat(resolved->c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        return false;
    }
    return ::unlink(resolved->c_str()) == 0;
}

bool createFolder(const std::string& path)
{
    if (path.empty() || resolveCase(path)) {
        return false;
    }
    const Split target = splitLast(path);
    if (!isValidNewName(target.name)) {
        return false;
    }
    const auto folder = resolveFolder(target.folder);
    return folder && ::mkdir(join(*folder, target.name).c_str(), 0777) == 0;
}

bool changeFolder(const std::string& path)
{
    const auto resolved = resolveCase(path);
    return resolved && ::chdir(resolved->c_str()) == 0;
}

bool isFolder(const std::string& path)
{
    const auto resolved = resolveCase(path);
    if (!resolved) {
        return false;
    }
    DIR* dir = ::opendir(resolved->c_str());
    if (!dir) {
        return false;
    }
    ::closedir(dir);
    return true;
}

bool canOpenForReading(const std::string& path)
{
    const auto resolved = resolveCase(path);
    if (!resolved || statIs(*resolved, S_IFDIR)) {
        return false;
    }
    // Non-blocking, so that a pipe does not wait for a writer.
    const int fd = ::open(resolved->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace platform::fs
