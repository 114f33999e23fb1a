#include "platform/gui/sysfolders.h"

#include "platform/gui/filenames.h"

#include <QCoreApplication>
#include <climits>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    return path;
}

bool isFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A real folder (not a link) of this user that nobody else can enter or write.
bool isPrivateFolder(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()
        && (st.st_mode & 077) == 0;
}

} // namespace

QString tempFolder()
{
    const std::string tmp = qgetenv("TMPDIR").toStdString();
    if (!tmp.empty() && tmp.front() == '/' && isFolder(tmp)) {
        return withSlash(textFromFileName(tmp));
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

QString privateFolder()
{
    const std::string runtime = qgetenv("XDG_RUNTIME_DIR").toStdString();
    if (!runtime.empty() && runtime.front() == '/' && isPrivateFolder(runtime)) {
        return withSlash(textFromFileName(runtime));
    }
    const QString own = tempFolder() + QStringLiteral("corvadel-%1/").arg(::geteuid());
    const std::string path = fileNameFromText(own);
    ::mkdir(path.c_str(), 0700);
    return isPrivateFolder(path) ? own : QString();
}

} // namespace platform
