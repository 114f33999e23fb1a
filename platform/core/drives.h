// Drives as the folder chooser offers them: the mounted file systems a user can browse. The drive of a
// path is the mount point that holds it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::fs {

struct Mount
{
    std::string point; // with "\040"-style escapes decoded
    std::string type;
};

// The entries of a mount table in the form of /proc/self/mounts.
std::vector<Mount> parseMountTable(std::string_view table);

// The mount points a user can browse, sorted: the kernel's pseudo file systems, whatever is mounted under
// /proc, /sys and /dev, and folders this process cannot list are left out.
std::vector<std::string> browsableDrives(const std::vector<Mount>& mounts);
// The same for this machine's mount table.
std::vector<std::string> browsableDrives();

// The drive of an absolute path: the longest of the drives that holds it; "" when none does.
std::string driveOf(const std::string& path, const std::vector<std::string>& drives);

} // namespace platform::fs
