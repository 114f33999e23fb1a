// How a folder is listed, for the listings by path (filesys.h) and through a held folder (heldfolder.h):
// names starting with "." are hidden, a symbolic link counts as what it leads to, files are matched by a
// wildcard pattern in any case, and names are sorted ignoring case with the exact order as tie-break.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::fs::listing {

// The visible names of one type (S_IFREG or S_IFDIR) in the open folder dirFd, for files only those that
// match *pattern, sorted. The descriptor is read through a fresh one of its own and left as it was.
std::vector<std::string> visibleSorted(int dirFd, mode_t type, const std::string* pattern);

// Every name in the open folder dirFd except "." and "..", hidden ones included, in directory order.
std::vector<std::string> allNames(int dirFd);

} // namespace platform::fs::listing
