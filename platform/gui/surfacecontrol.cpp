#include "platform/gui/surfacecontrol.h"

#include "platform/core/integer16.h"
#include "platform/gui/surfacebox.h"

#include <cmath>
#include <optional>

namespace platform {

namespace {
QVariant pictureValue(const QPixmap& picture)
{
    return picture.isNull() ? QVariant() : QVariant(picture);
}
std::optional<int16_t> storedInteger(const QVariant& stored)
{
    bool ok = false;
    const double number = stored.toDouble(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return integer16(std::nearbyint(number));
}
} // namespace

SurfaceControl::SurfaceControl(QWidget* parent) : QWidget(parent) { }

bool SurfaceControl::Enabled() const
{
    return isEnabled();
}

void SurfaceControl::setEnabledProperty(bool newEnabled)
{
    setEnabled(newEnabled);
    update();
    emit PropertyChanged(QStringLiteral("Enabled"));
}

void SurfaceControl::setMouseIcon(const QPixmap& New_MouseIcon)
{
    m_mouseIcon = New_MouseIcon;
    showPointer();
    emit PropertyChanged(QStringLiteral("MouseIcon"));
}

void SurfaceControl::setMousePointer(int16_t New_MousePointer)
{
    m_mousePointer = New_MousePointer;
    showPointer();
    emit PropertyChanged(QStringLiteral("MousePointer"));
}

void SurfaceControl::setPicture(const QPixmap& New_Picture)
{
    m_picture = New_Picture;
    emit PropertyChanged(QStringLiteral("Picture"));
}

void SurfaceControl::readSurfaceProperties(const PropertyBag& PropBag)
{
    setEnabled(PropBag.ReadProperty(QStringLiteral("Enabled"), true).toBool());
    setPicture(PropBag.ReadProperty(QStringLiteral("Picture"), QVariant()).value<QPixmap>());
    setMouseIcon(PropBag.ReadProperty(QStringLiteral("MouseIcon"), QVariant()).value<QPixmap>());
    m_mousePointer = readInteger(PropBag, QStringLiteral("MousePointer"), 0);
    showPointer();
}

void SurfaceControl::writeSurfaceProperties(PropertyBag& PropBag) const
{
    PropBag.WriteProperty(QStringLiteral("Enabled"), isEnabled(), true);
    PropBag.WriteProperty(QStringLiteral("Picture"), pictureValue(Picture()), QVariant());
    PropBag.WriteProperty(QStringLiteral("MouseIcon"), pictureValue(MouseIcon()), QVariant());
    PropBag.WriteProperty(QStringLiteral("MousePointer"), int(m_mousePointer), 0);
}

void SurfaceControl::showPointer()
{
    if (const auto cursor = pointerCursor(m_mousePointer, m_mouseIcon)) {
        setCursor(*cursor);
    } else {
        unsetCursor();
    }
}

int16_t SurfaceControl::readInteger(const PropertyBag& PropBag, const QString& name, int16_t defaultValue)
{
    return storedInteger(PropBag.ReadProperty(name, int(defaultValue))).value_or(defaultValue);
}

} // namespace platform
