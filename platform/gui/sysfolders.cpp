#include "platform/gui/sysfolders.h"

#include "platform/gui/filenames.h"

#include <QCoreApplication>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr std::size_t kMaxPasswdEntry = 1 << 20;
constexpr const char* kHomeFolderName = ".corvadel"; // the private folder in the home folder

bool isFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string withSlash(std::string path)
{
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

// A folder opened beneath `at` (or by a whole path), never through a link at its last component.
int openFolderAt(int at, const char* path)
{
    return ::openat(at, path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Why an open folder is not private to uid, empty when it is: it must be uid's and have none of the
// permission bits in `forbidden`.
std::string whyNotPrivate(int fd, uid_t uid, mode_t forbidden)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        return std::strerror(errno);
    }
    if (st.st_uid != uid) {
        return "made by another user";
    }
    if ((st.st_mode & forbidden) != 0) {
        return "others can write to it";
    }
    return {};
}

PrivateFolder refused(std::string path, std::string reason)
{
    return PrivateFolder(-1, std::move(path), std::move(reason));
}

// ".corvadel" in the home folder, made when missing.
PrivateFolder openHomeFolder(const UserPlaces& places)
{
    if (places.home.empty()) {
        return refused("~/", "no home folder in the user's passwd entry");
    }
    const std::string home = withSlash(places.home);
    const int homeFd = ::open(home.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (homeFd < 0) {
        const int error = errno;
        return refused(home, std::strerror(error));
    }
    const PrivateFolder parent(homeFd, home, {}); // closes it
    const std::string path = home + kHomeFolderName + '/';
    if (::mkdirat(homeFd, kHomeFolderName, 0700) != 0 && errno != EEXIST) {
        const int error = errno;
        return refused(path, std::strerror(error));
    }
    const int fd = openFolderAt(homeFd, kHomeFolderName);
    if (fd < 0) {
        const int error = errno;
        return refused(path, error == ELOOP || error == ENOTDIR ? "not a folder (a link or a file)" : std::strerror(error));
    }
    PrivateFolder folder(fd, path, {});
    std::string reason = whyNotPrivate(fd, places.uid, 022);
    return reason.empty() ? std::move(folder) : refused(path, std::move(reason));
}

} // namespace

QString tempFolder()
{
    const std::string tmp = qgetenv("TMPDIR").toStdString();
    if (!tmp.empty() && tmp.front() == '/' && isFolder(tmp)) {
        return textFromFileName(withSlash(tmp));
    }
    return QStringLiteral("/tmp/");
}

void settleTempFolder()
{
    if (qEnvironmentVariableIsSet("TMPDIR") && tempFolder() == QLatin1String("/tmp/")) {
        qputenv("TMPDIR", "/tmp");
    }
}

QString windowsFolder()
{
    return QStringLiteral("/etc/");
}

QString systemFolder()
{
    return QStringLiteral("/usr/lib/");
}

QString programFile()
{
    char real[PATH_MAX];
    if (::realpath("/proc/self/exe", real)) {
        return textFromFileName(real);
    }
    return QCoreApplication::applicationFilePath();
}

UserPlaces thisUser()
{
    UserPlaces places;
    places.uid = ::geteuid();
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? std::size_t(suggested) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    while (::getpwuid_r(places.uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE
           && buffer.size() < kMaxPasswdEntry) {
        buffer.resize(buffer.size() * 2);
    }
    if (found && found->pw_dir && found->pw_dir[0] == '/') {
        places.home = found->pw_dir;
    }
    return places;
}

PrivateFolder::PrivateFolder(int fd, std::string path, std::string reason)
    : m_fd(fd)
    , m_path(std::move(path))
    , m_reason(std::move(reason))
{
}

PrivateFolder::PrivateFolder(PrivateFolder&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_path(std::move(other.m_path))
    , m_reason(std::move(other.m_reason))
{
}

PrivateFolder::~PrivateFolder()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::vector<PrivateFolder> openPrivateFolders(const UserPlaces& places)
{
    std::vector<PrivateFolder> folders;
    // Named without a final "/", which would follow a link.
    const std::string runtime = withSlash(places.runtimeRoot) + std::to_string(places.uid);
    PrivateFolder folder(openFolderAt(AT_FDCWD, runtime.c_str()), runtime + '/', {});
    if (folder.isOpen() && whyNotPrivate(folder.fd(), places.uid, 077).empty()) {
        folders.push_back(std::move(folder));
    }
    folders.push_back(openHomeFolder(places));
    return folders;
}

} // namespace platform
