// The rotary knob: a 50 x 50 box showing one frame of a vertical film strip of knob pictures. It turns one
// frame per mouse move while the left button alone is held on it, reports the new value through Scroll,
// and reports a double click through DblClick. Setting Value from code redraws it and raises no event.
#pragma once

#include "platform/gui/surfacecontrol.h"

#include <cstdint>

namespace platform {
class SurfaceBox;
}

class animKnob : public platform::SurfaceControl
{
    Q_OBJECT
public:
    // A new knob: Min 0, Max 100, Value 0, frame 1 shown, size locked to its box.
    explicit animKnob(QWidget* parent = nullptr);

    int16_t Min() const { return m_Min; }
    void setMin(int16_t newMin);
    int16_t Max() const { return m_Max; }
    void setMax(int16_t newMax);
    int16_t Value() const { return m_Value; }
    // Redraws; raises no Scroll.
    void setValue(int16_t newValue);

    // A new knob placed into a layout.
    void UserControl_InitProperties() { }
    // "Enabled", "Picture", "MouseIcon", "MousePointer", then "Min" (0), "Max" (100) and "Value" (80),
    // which go to their fields without a change notice; then drawn once if enabled.
    void UserControl_ReadProperties(const platform::PropertyBag& PropBag);
    void UserControl_WriteProperties(platform::PropertyBag& PropBag) const;

    // The frame shown, counted from 1.
    int16_t frame() const { return m_Frame; }

signals:
    void DblClick();
    // Value refers to the knob's own value: a handler that assigns to it changes Value without a redraw.
    void Scroll(int16_t& Value);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void UserControl_Initialize();
    void UserControl_Resize();
    void picVol_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void picVol_DblClick();
    void DrawKnob();
    void copyFrame();
    void computeRange();

    platform::SurfaceBox* picVol;
    platform::SurfaceBox* picStrip;

    int16_t m_FrameHeight = 0;
    int16_t m_FrameCount = 0;
    int16_t m_Min = 0;
    int16_t m_Max = 0;
    int16_t m_Value = 0;
    int32_t m_Range = 0;
    int16_t m_Frame = 0;
    int16_t m_LastY = 0;
};
