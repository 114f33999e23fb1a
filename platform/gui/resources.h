// Resources carried inside the executable.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

// The bytes of the resource of a type ("WAVE") and a name ("DEFAULT"), found at ":/<type>/<name>";
// names and types are tried as given, then in capitals. nullopt when there is none.
std::optional<QByteArray> loadResData(const QString& name, const QString& type);

} // namespace platform
