// A control's stored properties: values kept by name, read with a default for a name that is not stored,
// written with a default so that a value equal to its default is not stored at all.
#pragma once

#include <QMap>
#include <QString>
#include <QVariant>
#include <initializer_list>
#include <utility>

namespace platform {

class PropertyBag
{
public:
    PropertyBag() = default;
    PropertyBag(std::initializer_list<std::pair<QString, QVariant>> values);

    // The stored value, or defaultValue when the name is not stored.
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const;
    // Stores the value; a value equal to the default, or none, removes the name instead.
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue);
    bool contains(const QString& name) const;

private:
    QMap<QString, QVariant> m_values;
};

} // namespace platform
