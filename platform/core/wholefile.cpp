#include "platform/core/wholefile.h"

#include "platform/core/filesys.h"
#include "platform/core/heldfolder.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::fs {

namespace {

// The one name a finished file has before it is renamed over its target; a writer killed just then
// leaves it, and the next write to the same target removes it. Short and legal whatever the target's
// length: a hash of the target's name (FNV-1a), never the name itself.
std::string stagingName(std::string_view name)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(".corvadel-") + hex + "~";
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data.remove_prefix(std::size_t(n));
    }
    return true;
}

// The mode is set after the group, whose change may clear the set-id bits. A group the user may not give
// is left as it is.
bool fill(int fd, std::string_view bytes, mode_t mode, gid_t group)
{
    if (group != gid_t(-1)) {
        [[maybe_unused]] const int regrouped = ::fchown(fd, uid_t(-1), group);
    }
    return writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
}

// Removes what a killed writer left under the staging name; never a folder (unlinkat without
// AT_REMOVEDIR removes none).
void clearStaging(int dirFd, const std::string& staging)
{
    ::unlinkat(dirFd, staging.c_str(), 0);
}

// Gives the finished file `from` its place at `to`, both names in the folder dirFd.
bool place(int dirFd, const std::string& from, const std::string& to, Placement placement)
{
    if (placement == Placement::Replace) {
        return ::renameat(dirFd, from.c_str(), dirFd, to.c_str()) == 0;
    }
    return ::linkat(dirFd, from.c_str(), dirFd, to.c_str(), 0) == 0; // fails on any existing name, links too
}

// Fallback for file systems without unnamed files: the staging name is created exclusively.
bool writeThroughStaging(int dirFd, const std::string& name, std::string_view bytes, mode_t mode,
                         Placement placement, gid_t group)
{
    const std::string staging = stagingName(name);
    clearStaging(dirFd, staging);
    const int fd = ::openat(dirFd, staging.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    bool ok = fill(fd, bytes, mode, group);
    ok = ::close(fd) == 0 && ok;
    ok = ok && place(dirFd, staging, name, placement);
    if (!ok || placement == Placement::NewName) {
        ::unlinkat(dirFd, staging.c_str(), 0);
    }
    return ok;
}

} // namespace

bool writeFileWhole(const std::string& path, std::string_view bytes, mode_t mode, Placement placement)
{
    const PathParts parts = splitPath(path);
    return writeFileWhole(HeldFolder::open(parts.folder), parts.name, bytes, mode, placement);
}

bool writeFileWhole(const HeldFolder& folder, const std::string& name, std::string_view bytes, mode_t mode,
                    Placement placement, gid_t group)
{
    if (!folder.isOpen() || !isPlainName(name)) {
        return false;
    }
    const int dirFd = folder.fd();
    const int fd = ::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR) {
            return writeThroughStaging(dirFd, name, bytes, mode, placement, group);
        }
        return false;
    }
    bool ok = fill(fd, bytes, mode, group);
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (ok && placement == Placement::NewName) {
        ok = ::linkat(AT_FDCWD, self.c_str(), dirFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    } else if (ok) {
        const std::string staging = stagingName(name);
        clearStaging(dirFd, staging);
        ok = ::linkat(AT_FDCWD, self.c_str(), dirFd, staging.c_str(), AT_SYMLINK_FOLLOW) == 0;
        if (ok && !place(dirFd, staging, name, placement)) {
            ::unlinkat(dirFd, staging.c_str(), 0);
            ok = false;
        }
    }
    ::close(fd);
    return ok;
}

std::optional<std::string> writeUniqueFile(const std::string& folder, const std::string& prefix,
                                           const std::string& suffix, std::string_view bytes, mode_t mode)
{
    static constexpr std::string_view letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i) {
            name += letters[pick(random)];
        }
        const std::string path = base + name + suffix;
        if (writeFileWhole(path, bytes, mode, Placement::NewName)) {
            return path;
        }
        if (!nameTaken(path)) {
            return std::nullopt; // failed for another reason than the name
        }
    }
    return std::nullopt;
}

bool isOwnRegularFile(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

bool nameTaken(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace platform::fs
