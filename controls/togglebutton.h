// The two-state picture button: shows the upper frame of its strip while off and the lower one while on,
// flips on every press with any mouse button and reports the new state through Push. Setting Value from
// code redraws it and raises no event. miniButton, miniButtonGreen and syncButton are its three skins.
#pragma once

#include "platform/gui/surfacecontrol.h"

#include <cstdint>

namespace platform {
class SurfaceBox;
}

class toggleButton : public platform::SurfaceControl
{
    Q_OBJECT
public:
    bool Value() const { return m_Value; }
    // Redraws; raises no Push.
    void setValue(bool newValue);

    // A new button placed into a layout.
    void UserControl_InitProperties() { }
    // "Enabled", "Picture", "MouseIcon", "MousePointer", then "Value" (false), which goes to its field
    // without a change notice; then drawn once if enabled.
    void UserControl_ReadProperties(const platform::PropertyBag& PropBag);
    void UserControl_WriteProperties(platform::PropertyBag& PropBag) const;

signals:
    // Declared for containers of stored layouts; never raised.
    void Changed();
    void MouseMove(int16_t& Button, int16_t& Shift, float& X, float& Y);
    // Value refers to the button's own state: a handler that assigns to it changes Value without a redraw.
    void Push(bool& Value);

protected:
    // One skin: its strip picture and the sizes and place of its two boxes, in pixels.
    struct Skin
    {
        const char* stripFile;
        QSize stripPixels;
        QPoint stripPosition;
        QSize buttonBoxPixels;
    };
    toggleButton(const Skin& skin, QWidget* parent);
    void resizeEvent(QResizeEvent* event) override;

private:
    void picButton_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void UserControl_Resize();
    void UserControl_Initialize();
    void DrawButton();

    platform::SurfaceBox* picButton;
    platform::SurfaceBox* picButStrip;

    bool m_Value = false;
    int16_t m_HalfHeight = 0;
};

// The Mute key: a lit red oval when on.
class miniButton : public toggleButton
{
    Q_OBJECT
public:
    explicit miniButton(QWidget* parent = nullptr);
};

// The Play key: a lit green oval when on.
class miniButtonGreen : public toggleButton
{
    Q_OBJECT
public:
    explicit miniButtonGreen(QWidget* parent = nullptr);
};

// The start/stop-all panel: three green lights when on.
class syncButton : public toggleButton
{
    Q_OBJECT
public:
    explicit syncButton(QWidget* parent = nullptr);
};
