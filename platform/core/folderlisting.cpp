#include "platform/core/folderlisting.h"

#include "platform/core/asciicase.h"

#include <algorithm>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::fs::listing {

namespace {

// A stream over the folder with a position of its own ("." opened anew, not a dup that shares the
// offset), so two listings of one held folder never disturb each other. nullptr when it cannot be read.
DIR* openStream(int dirFd)
{
    const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
    }
    return dir;
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

} // namespace

std::vector<std::string> visibleSorted(int dirFd, mode_t type, const std::string* pattern)
{
    NameBuffer names;
    DIR* dir = openStream(dirFd);
    if (!dir) {
        return {};
    }
    // One readdir() pass; stat() only where the entry does not tell its type.
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
    return sortedNames(names);
}

std::vector<std::string> allNames(int dirFd)
{
    std::vector<std::string> names;
    DIR* dir = openStream(dirFd);
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

} // namespace platform::fs::listing
