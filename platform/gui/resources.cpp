#include "platform/gui/resources.h"

#include <QFile>

namespace platform {

std::optional<QByteArray> loadResData(const QString& name, const QString& type)
{
    if (name.isEmpty() || type.isEmpty()) {
        return std::nullopt;
    }
    for (const QString& path :
         { QStringLiteral(":/%1/%2").arg(type, name), QStringLiteral(":/%1/%2").arg(type.toUpper(), name.toUpper()) }) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            return file.readAll();
        }
    }
    return std::nullopt;
}

} // namespace platform
