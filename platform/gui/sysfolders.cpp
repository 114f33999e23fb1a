#include "platform/gui/sysfolders.h"

#include <QDir>

namespace platform {

namespace {
QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    return path;
}
} // namespace

QString tempFolder()
{
    return withSlash(QDir::tempPath());
}

QString windowsFolder()
{
    return QStringLiteral("/etc/");
}

QString systemFolder()
{
    return QStringLiteral("/usr/lib/");
}

} // namespace platform
