#include "platform/core/drives.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace platform::fs {

namespace {

// The mount table writes blank, tab, newline and backslash as three octal digits after a backslash.
std::string unescape(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out += char(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) | (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool isPseudoType(std::string_view type)
{
    static constexpr std::array<std::string_view, 23> pseudo = {
        "proc",     "sysfs",      "devtmpfs", "devpts",      "cgroup",     "cgroup2",   "securityfs", "pstore",
        "debugfs",  "tracefs",    "bpf",      "configfs",    "fusectl",    "hugetlbfs", "mqueue",     "autofs",
        "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",     "selinuxfs",  "nfsd",      "ramfs",
    };
    return std::find(pseudo.begin(), pseudo.end(), type) != pseudo.end();
}

bool isUnder(const std::string& path, std::string_view folder)
{
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0
                              && (folder.back() == '/' || path[folder.size()] == '/'));
}

} // namespace

std::vector<Mount> parseMountTable(std::string_view table)
{
    std::vector<Mount> mounts;
    std::istringstream lines { std::string(table) };
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, point, type;
        if (fields >> device >> point >> type) {
            mounts.push_back({ unescape(point), type });
        }
    }
    return mounts;
}

std::vector<std::string> browsableDrives(const std::vector<Mount>& mounts)
{
    std::vector<std::string> drives;
    for (const Mount& m : mounts) {
        if (m.point.empty() || m.point.front() != '/' || isPseudoType(m.type) || isUnder(m.point, "/proc")
            || isUnder(m.point, "/sys") || isUnder(m.point, "/dev")) {
            continue;
        }
        if (::access(m.point.c_str(), R_OK | X_OK) == 0) {
            drives.push_back(m.point);
        }
    }
    std::sort(drives.begin(), drives.end());
    drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
    return drives;
}

std::vector<std::string> browsableDrives()
{
    std::ifstream in("/proc/self/mounts");
    std::stringstream table;
    table << in.rdbuf();
    return browsableDrives(parseMountTable(table.str()));
}

std::string driveOf(const std::string& path, const std::vector<std::string>& drives)
{
    std::string best;
    for (const std::string& d : drives) {
        if (isUnder(path, d) && d.size() > best.size()) {
            best = d;
        }
    }
    return best;
}

} // namespace platform::fs
