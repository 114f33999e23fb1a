#include "platform/core/filesys.h"

#include "platform/core/asciicase.h"
#include "platform/core/folderlisting.h"

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

// Runs fn(fd) on the folder opened for listing ("" is the current folder); what fn returns, or an empty
// result when the folder cannot be opened.
template<class Fn> auto withFolder(const std::string& folder, Fn fn) -> decltype(fn(0))
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    auto result = fn(fd);
    ::close(fd);
    return result;
}

// Every name in a folder except "." and ".."; "" is the current folder.
std::vector<std::string> entries(const std::string& folder)
{
    return withFolder(folder, listing::allNames);
}

std::string join(const std::string& folder, const std::string& name)
{
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
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

// The visible names of one type in a folder (found in any case), sorted; for files only those that match
// pattern.
std::vector<std::string> visibleEntries(const std::string& folder, mode_t type, const std::string* pattern)
{
    const auto resolved = resolveFolder(folder);
    if (!resolved) {
        return {};
    }
    return withFolder(*resolved, [&](int fd) { return listing::visibleSorted(fd, type, pattern); });
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
    return visibleEntries(folder, S_IFDIR, nullptr);
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern)
{
    return visibleEntries(folder, S_IFREG, &pattern);
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
