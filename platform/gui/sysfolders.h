// The system folders the program asks for, each ending in "/", and where the program itself lies.
#pragma once

#include <QString>
#include <string>
#include <vector>
#include <sys/types.h>

namespace platform {

QString tempFolder(); // $TMPDIR when it names an existing folder, else /tmp/

// Sets TMPDIR to /tmp when it names no existing folder, so that no library (Qt puts its runtime folder
// there) makes files at the file-system root. Called before the toolkit starts.
void settleTempFolder();
QString windowsFolder(); // the system's settings folder: /etc/
QString systemFolder(); // the system's library folder: /usr/lib/

// The running executable's real path (/proc/self/exe), as the text of its bytes (see filenames.h).
QString programFile();

// Where a user's private folder is looked for. thisUser() takes them from the id the program runs as and
// that id's passwd entry, never from environment variables, so that a copy started through sudo, ssh, cron
// or a launcher looks in the same places; tests give folders of their own.
struct UserPlaces
{
    uid_t uid = 0;
    std::string home; // the home folder the passwd entry names; empty without one
    std::string runtimeRoot = "/run/user"; // holds the per-user runtime folders, each named by the id
};
UserPlaces thisUser();

// A folder only its user can write, held open by its descriptor; or, when none could be had, the folder
// that was refused and why.
class PrivateFolder
{
public:
    PrivateFolder(int fd, std::string path, std::string reason);
    PrivateFolder(PrivateFolder&& other) noexcept;
    PrivateFolder& operator=(PrivateFolder&&) = delete;
    ~PrivateFolder();

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    const std::string& path() const { return m_path; } // bytes, ending in "/"
    const std::string& reason() const { return m_reason; } // empty when open

private:
    int m_fd;
    std::string m_path;
    std::string m_reason;
};

// The user's private folders: <runtimeRoot>/<uid> when it is the user's own 0700 folder (it exists only
// while the user is logged in), then ".corvadel" in the home folder, made 0700 when missing (refused, with
// its reason, when it cannot be had). A folder that is a link, that another user made or that others can
// write is never used.
std::vector<PrivateFolder> openPrivateFolders(const UserPlaces& places = thisUser());

} // namespace platform
