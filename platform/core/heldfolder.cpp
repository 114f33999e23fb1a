#include "platform/core/heldfolder.h"

#include "platform/core/asciicase.h"
#include "platform/core/folderlisting.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::fs {

namespace {

bool sameInode(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The entry's own status, a link not followed.
bool entryStatus(int dirFd, const std::string& name, struct stat& st)
{
    return ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// True when `name` in folder `to` differs from `wanted` only in case and is not the entry `from` of folder
// `source` itself (a change of case only).
bool isOtherCaseTwin(const std::string& name, const std::string& wanted, int to, int source, const std::string& from)
{
    if (!ascii::equalIgnoringCase(name, wanted)) {
        return false;
    }
    struct stat a;
    struct stat b;
    const bool sameFolder = ::fstat(to, &a) == 0 && ::fstat(source, &b) == 0 && sameInode(a, b);
    return !(sameFolder && name == from);
}

// File systems without the no-replace rename: a new link fails when the target exists.
bool linkThenUnlink(int fromFd, const std::string& from, int toFd, const std::string& to)
{
    if (::linkat(fromFd, from.c_str(), toFd, to.c_str(), 0) != 0) {
        return false;
    }
    if (::unlinkat(fromFd, from.c_str(), 0) != 0) {
        ::unlinkat(toFd, to.c_str(), 0);
        return false;
    }
    return true;
}

} // namespace

bool isPlainName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
        && name.find('\0') == std::string_view::npos;
}

HeldFolder::HeldFolder(int fd)
    : m_fd(fd >= 0 ? std::shared_ptr<const int>(new int(fd),
                                                 [](const int* p) {
                                                     ::close(*p);
                                                     delete p;
                                                 })
                   : nullptr)
{
}

HeldFolder HeldFolder::open(const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos) {
        return {};
    }
    return HeldFolder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

int HeldFolder::fd() const
{
    return m_fd ? *m_fd : -1;
}

HeldFolder HeldFolder::openSub(const std::string& name, Links links) const
{
    if (!isOpen() || !isPlainName(name)) {
        return {};
    }
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    const int sub = ::openat(fd(), name.c_str(), kFlags | O_NOFOLLOW);
    if (sub >= 0 || (errno != ELOOP && errno != ENOTDIR) || links != Links::Trusted) {
        return HeldFolder(sub);
    }
    // A link: followed only when trusted, and only while the same link stands there.
    struct stat before;
    struct stat after;
    if (!entryStatus(fd(), name, before) || !S_ISLNK(before.st_mode) || !isTrustedLink(name)) {
        return {};
    }
    HeldFolder followed(::openat(fd(), name.c_str(), kFlags));
    if (!entryStatus(fd(), name, after) || !sameInode(before, after) || after.st_uid != before.st_uid) {
        return {};
    }
    return followed;
}

HeldFolder HeldFolder::createSub(const std::string& name) const
{
    if (!isOpen() || !isPlainName(name)) {
        return {};
    }
    if (::mkdirat(fd(), name.c_str(), 0777) != 0 && errno != EEXIST) {
        return {};
    }
    return openSub(name);
}

bool HeldFolder::exists(const std::string& name) const
{
    struct stat st;
    return isOpen() && isPlainName(name) && entryStatus(fd(), name, st);
}

std::optional<std::string> HeldFolder::caseTwin(const std::string& name) const
{
    if (!isOpen() || !isPlainName(name)) {
        return std::nullopt;
    }
    std::optional<std::string> twin;
    for (auto& entry : listing::allNames(fd())) {
        if (entry != name && ascii::equalIgnoringCase(entry, name) && (!twin || entry < *twin)) {
            twin = std::move(entry);
        }
    }
    return twin;
}

bool HeldFolder::isTrustedLink(const std::string& name) const
{
    struct stat link;
    struct stat folder;
    return isLink(name) && entryStatus(fd(), name, link) && ::fstat(fd(), &folder) == 0
        && (link.st_uid == ::geteuid() || link.st_uid == folder.st_uid);
}

bool HeldFolder::isLink(const std::string& name) const
{
    struct stat st;
    return isOpen() && isPlainName(name) && entryStatus(fd(), name, st) && S_ISLNK(st.st_mode);
}

bool HeldFolder::isRegularFile(const std::string& name) const
{
    struct stat st;
    return isOpen() && isPlainName(name) && entryStatus(fd(), name, st) && S_ISREG(st.st_mode);
}

bool HeldFolder::mayChangeNames() const
{
    return isOpen() && ::faccessat(fd(), ".", W_OK | X_OK, AT_EACCESS) == 0;
}

bool HeldFolder::mayTakeAway(const std::string& name) const
{
    struct stat entry;
    struct stat folder;
    if (!mayChangeNames() || !isPlainName(name) || !entryStatus(fd(), name, entry) || ::fstat(fd(), &folder) != 0) {
        return false;
    }
    const uid_t user = ::geteuid();
    return !(folder.st_mode & S_ISVTX) || user == 0 || entry.st_uid == user || folder.st_uid == user;
}

bool HeldFolder::isReadableFile(const std::string& name) const
{
    const int file = openForReading(name, true);
    if (file < 0) {
        return false;
    }
    struct stat st;
    const bool regular = ::fstat(file, &st) == 0 && S_ISREG(st.st_mode);
    ::close(file);
    return regular;
}

std::vector<std::string> HeldFolder::files(const std::string& pattern) const
{
    return isOpen() ? listing::visibleSorted(fd(), S_IFREG, &pattern) : std::vector<std::string>();
}

std::vector<std::string> HeldFolder::subfolders() const
{
    return isOpen() ? listing::visibleSorted(fd(), S_IFDIR, nullptr) : std::vector<std::string>();
}

std::optional<std::string> HeldFolder::findWithExtensionInAnyCase(const std::string& name) const
{
    if (!isOpen() || !isPlainName(name)) {
        return std::nullopt;
    }
    if (exists(name)) {
        return name;
    }
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return std::nullopt;
    }
    // The base name and its "." exactly; only what follows the last "." in any case.
    const std::string_view stem = std::string_view(name).substr(0, dot + 1);
    const std::string_view extension = std::string_view(name).substr(dot + 1);
    std::optional<std::string> found;
    for (auto& entry : listing::allNames(fd())) {
        if (entry.size() == name.size() && std::string_view(entry).substr(0, stem.size()) == stem
            && ascii::equalIgnoringCase(std::string_view(entry).substr(stem.size()), extension)
            && (!found || entry < *found)) {
            found = std::move(entry);
        }
    }
    return found;
}

bool HeldFolder::setAttributesNormal(const std::string& name) const
{
    if (!isOpen() || !isPlainName(name)) {
        return false;
    }
    // The entry itself, never followed: its status and its mode go through the same descriptor.
    const int entry = ::openat(fd(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (entry < 0) {
        return false;
    }
    struct stat st;
    bool ok = ::fstat(entry, &st) == 0 && !S_ISLNK(st.st_mode);
    if (ok) {
        const std::string self = "/proc/self/fd/" + std::to_string(entry);
        ok = ::chmod(self.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
    }
    ::close(entry);
    return ok;
}

bool HeldFolder::removeFile(const std::string& name) const
{
    // Without AT_REMOVEDIR, unlinkat never removes a folder.
    return isOpen() && isPlainName(name) && ::unlinkat(fd(), name.c_str(), 0) == 0;
}

bool HeldFolder::renameTo(const std::string& from, const HeldFolder& destination, const std::string& to) const
{
    if (!isOpen() || !destination.isOpen() || !isPlainName(from) || !isPlainName(to)) {
        return false;
    }
    for (const auto& entry : listing::allNames(destination.fd())) {
        if (isOtherCaseTwin(entry, to, destination.fd(), fd(), from)) {
            return false;
        }
    }
    if (::renameat2(fd(), from.c_str(), destination.fd(), to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return false;
    }
    return linkThenUnlink(fd(), from, destination.fd(), to);
}

int HeldFolder::openForReading(const std::string& name, bool followLinks) const
{
    if (!isOpen() || !isPlainName(name)) {
        return -1;
    }
    // Non-blocking, so that a pipe does not wait for a writer.
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW);
    return ::openat(fd(), name.c_str(), flags);
}

std::string HeldFolder::readPath(const std::string& name) const
{
    if (!isOpen() || !isPlainName(name)) {
        return {};
    }
    return "/proc/self/fd/" + std::to_string(fd()) + "/" + name;
}

std::string HeldFolder::shownFolder() const
{
    char folder[PATH_MAX];
    const std::string self = "/proc/self/fd/" + std::to_string(fd());
    const ssize_t length = isOpen() ? ::readlink(self.c_str(), folder, sizeof folder - 1) : -1;
    return length > 0 ? std::string(folder, std::size_t(length)) : std::string("?");
}

std::string HeldFolder::shownPath(const std::string& name) const
{
    const std::string shown = shownFolder();
    return shown == "/" ? shown + name : shown + "/" + name;
}

std::string shownPath(const std::string& path)
{
    static constexpr std::string_view prefix = "/proc/self/fd/";
    if (path.compare(0, prefix.size(), prefix) != 0) {
        return path;
    }
    const std::size_t slash = path.find('/', prefix.size());
    const std::string number = path.substr(prefix.size(), slash - prefix.size());
    if (slash == std::string::npos || number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
        return path;
    }
    char folder[PATH_MAX];
    const ssize_t length = ::readlink(path.substr(0, slash).c_str(), folder, sizeof folder - 1);
    if (length <= 0) {
        return path;
    }
    const std::string shown(folder, std::size_t(length));
    return (shown == "/" ? "" : shown) + path.substr(slash);
}

} // namespace platform::fs
