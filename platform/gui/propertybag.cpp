#include "platform/gui/propertybag.h"

namespace platform {

PropertyBag::PropertyBag(std::initializer_list<std::pair<QString, QVariant>> values)
{
    for (const auto& [name, value] : values) {
        m_values.insert(name, value);
    }
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const
{
    const auto it = m_values.constFind(name);
    return it == m_values.constEnd() ? defaultValue : it.value();
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue)
{
    if (!value.isValid() || value == defaultValue) {
        m_values.remove(name);
    } else {
        m_values.insert(name, value);
    }
}

bool PropertyBag::contains(const QString& name) const
{
    return m_values.contains(name);
}

} // namespace platform
