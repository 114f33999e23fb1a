#include "platform/core/filesys.h"

#include "platform/core/asciicase.h"
#include "platform/core/folderlisting.h"
#include "platform/core/heldfolder.h"

#include <array>
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

std::string join(const std::string& folder, const std::string& name)
{
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// A path cut into its folder and its last name; trailing separators are dropped first.
PathParts splitLast(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return splitPath(path);
}

// The folder part of a path, resolved; "" and "." are the current folder.
std::optional<std::string> resolveFolder(const std::string& folder)
{
    auto resolved = resolveCase(folder.empty() ? "." : folder);
    if (!resolved || !statIs(*resolved, S_IFDIR)) {
        return std::nullopt;
    }
    return resolved;
}

// The folder that holds the entry a path names (found as resolveCase finds it), and that entry's name.
HeldFolder openParent(const std::string& path, std::string& name)
{
    const auto resolved = resolveCase(path);
    if (!resolved) {
        return {};
    }
    PathParts parts = splitLast(*resolved);
    name = std::move(parts.name);
    return HeldFolder::open(parts.folder);
}

// How a walk finds a component that is not there exactly: the entry of folder ("" the current one) that
// stands for `part`, or nullopt.
using ComponentMatch = std::optional<std::string> (*)(const std::string& folder, const std::string& part);

// A name from elsewhere: only its extension may differ in case.
std::optional<std::string> sameBaseName(const std::string& folder, const std::string& part)
{
    return HeldFolder::open(folder.empty() ? "." : folder).findWithExtensionInAnyCase(part);
}

// Any case at all, the first in sorted order (the directory's own order differs from one file system to
// the next).
std::optional<std::string> anyCase(const std::string& folder, const std::string& part)
{
    std::optional<std::string> best;
    const HeldFolder held = HeldFolder::open(folder.empty() ? "." : folder);
    for (auto& name : listing::allNames(held.fd())) {
        if (ascii::equalIgnoringCase(name, part) && (!best || name < *best)) {
            best = std::move(name);
        }
    }
    return best;
}

// The path with each component as it is on disk: exactly when it exists so, else as match finds it.
std::optional<std::string> walk(const std::string& path, ComponentMatch match)
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
        const auto found = match(resolved, part);
        if (!found) {
            return std::nullopt;
        }
        resolved = join(resolved, *found);
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

PathParts splitPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return { ".", path };
    }
    return { slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1) };
}

std::optional<std::string> resolveCase(const std::string& path)
{
    return walk(path, sameBaseName);
}

std::optional<std::string> longPathName(const std::string& path)
{
    return walk(path, anyCase);
}

std::vector<std::string> listSubfolders(const std::string& folder)
{
    const auto resolved = resolveFolder(folder);
    return resolved ? HeldFolder::open(*resolved).subfolders() : std::vector<std::string>();
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern)
{
    const auto resolved = resolveFolder(folder);
    return resolved ? HeldFolder::open(*resolved).files(pattern) : std::vector<std::string>();
}

bool renameNoReplace(const std::string& from, const std::string& to)
{
    std::string name;
    const HeldFolder source = openParent(from, name);
    if (to.empty() || to.back() == '/') {
        return false;
    }
    const PathParts target = splitPath(to);
    const auto folder = resolveFolder(target.folder);
    return folder && source.renameTo(name, HeldFolder::open(*folder), target.name);
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
    std::string name;
    return openParent(path, name).setAttributesNormal(name);
}

bool removeFile(const std::string& path)
{
    std::string name;
    return openParent(path, name).removeFile(name);
}

bool createFolder(const std::string& path)
{
    const PathParts target = splitLast(path);
    if (path.empty() || !isValidNewName(target.name)) {
        return false;
    }
    const auto folder = resolveFolder(target.folder);
    const HeldFolder parent = folder ? HeldFolder::open(*folder) : HeldFolder();
    // Anything of that name, in any case, makes it fail.
    return parent.isOpen() && !parent.exists(target.name) && !parent.caseTwin(target.name)
        && ::mkdirat(parent.fd(), target.name.c_str(), 0777) == 0;
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
