// The surface a skinned control is built on: its enabled state, mouse pointer, mouse icon and picture, the
// notice to the container that a stored property changed, and the stored properties that every control has.
#pragma once

#include "platform/gui/propertybag.h"

#include <QPixmap>
#include <QWidget>
#include <cstdint>

namespace platform {

class SurfaceControl : public QWidget
{
    Q_OBJECT
public:
    explicit SurfaceControl(QWidget* parent = nullptr);

    bool Enabled() const;
    // A disabled control receives no mouse input; its picture stays as it is.
    void setEnabledProperty(bool newEnabled);
    // The pointer's picture while MousePointer is 99.
    QPixmap MouseIcon() const { return m_mouseIcon; }
    void setMouseIcon(const QPixmap& New_MouseIcon);
    // Pointer-shape code, 0 the default pointer (platform::pointerCursor gives the others); the pointer
    // takes that shape over the control.
    int16_t MousePointer() const { return m_mousePointer; }
    void setMousePointer(int16_t New_MousePointer);
    // The surface's own picture, which lies under the control's boxes.
    QPixmap Picture() const { return m_picture; }
    void setPicture(const QPixmap& New_Picture);

signals:
    // A stored property has a new value; the container may ignore it.
    void PropertyChanged(const QString& PropertyName);

protected:
    // "Enabled" (true), "Picture" and "MouseIcon" (none, through their setters), "MousePointer" (0).
    void readSurfaceProperties(const PropertyBag& PropBag);
    void writeSurfaceProperties(PropertyBag& PropBag) const;
    // Reads a 16-bit stored value, a number rounded to the nearest, halves to even; a value that is no number
    // or does not fit 16 bits counts as not stored.
    static int16_t readInteger(const PropertyBag& PropBag, const QString& name, int16_t defaultValue);

private:
    void showPointer();

    QPixmap m_mouseIcon;
    int16_t m_mousePointer = 0;
    QPixmap m_picture;
};

} // namespace platform
