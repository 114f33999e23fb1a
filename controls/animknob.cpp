#include "controls/animknob.h"

#include "platform/core/integer16.h"
#include "platform/gui/surfacebox.h"

#include <cmath>

using platform::integer16;

namespace {
const QSize kBoxPixels(50, 50);
const QSize kStripPixels(50, 3900);
// Where the strip box lies, outside the knob's own area.
const QPoint kStripPosition(192, 12);
const char* const kStripFile = ":/knob.bmp";
} // namespace

animKnob::animKnob(QWidget* parent)
    : SurfaceControl(parent),
      picVol(new platform::SurfaceBox(kBoxPixels, Qt::black, this)),
      picStrip(new platform::SurfaceBox(kStripPixels, Qt::black, this))
{
    picStrip->move(kStripPosition);
    picStrip->hide();
    picStrip->loadPicture(QString::fromLatin1(kStripFile));
    connect(picVol, &platform::SurfaceBox::MouseMove, this, &animKnob::picVol_MouseMove);
    connect(picVol, &platform::SurfaceBox::DblClick, this, &animKnob::picVol_DblClick);
    UserControl_Initialize();
}

void animKnob::UserControl_Initialize()
{
    if (const auto height = integer16(std::nearbyint(double(picVol->ScaleHeight())))) {
        m_FrameHeight = *height;
    }
    if (m_FrameHeight != 0) {
        const float frames = float(picStrip->ScaleHeight()) / float(m_FrameHeight);
        if (const auto count = integer16(std::nearbyint(double(frames)))) {
            m_FrameCount = *count;
        }
    }
    m_Min = 0;
    m_Max = 100;
    DrawKnob();
    UserControl_Resize();
}

void animKnob::UserControl_Resize()
{
    setFixedSize(picVol->width(), picVol->height());
}

void animKnob::resizeEvent(QResizeEvent* event)
{
    SurfaceControl::resizeEvent(event);
    UserControl_Resize();
}

void animKnob::setMin(int16_t newMin)
{
    m_Min = newMin;
    emit PropertyChanged(QStringLiteral("Min"));
    DrawKnob();
}

void animKnob::setMax(int16_t newMax)
{
    m_Max = newMax;
    emit PropertyChanged(QStringLiteral("Max"));
    DrawKnob();
}

void animKnob::setValue(int16_t newValue)
{
    m_Value = newValue;
    emit PropertyChanged(QStringLiteral("Value"));
    DrawKnob();
}

void animKnob::UserControl_ReadProperties(const platform::PropertyBag& PropBag)
{
    readSurfaceProperties(PropBag);
    m_Min = readInteger(PropBag, QStringLiteral("Min"), 0);
    m_Max = readInteger(PropBag, QStringLiteral("Max"), 100);
    m_Value = readInteger(PropBag, QStringLiteral("Value"), 80);
    if (isEnabled()) {
        DrawKnob();
    }
}

void animKnob::UserControl_WriteProperties(platform::PropertyBag& PropBag) const
{
    writeSurfaceProperties(PropBag);
    PropBag.WriteProperty(QStringLiteral("Min"), int(m_Min), 0);
    PropBag.WriteProperty(QStringLiteral("Max"), int(m_Max), 100);
    PropBag.WriteProperty(QStringLiteral("Value"), int(m_Value), 80);
}

// Max - Min as a 16-bit difference; when it does not fit, the range stays as it was.
void animKnob::computeRange()
{
    if (const auto range = integer16(double(m_Max) - double(m_Min))) {
        m_Range = *range;
    }
}

// Copies the frame m_Frame from the strip into the box. A source row that does not fit 16 bits copies
// nothing; a frame outside the strip copies only what lies inside it.
void animKnob::copyFrame()
{
    const auto product = integer16(double(m_Frame) * double(m_FrameHeight));
    if (!product) {
        return;
    }
    const auto row = integer16(double(*product) - double(m_FrameHeight));
    if (!row) {
        return;
    }
    platform::BitBlt(picVol->hDC(), 0, 0, picVol->ScaleWidth(), picVol->ScaleHeight(), picStrip->hDC(), 0, *row);
}

void animKnob::DrawKnob()
{
    computeRange();
    const auto offset = integer16(double(m_Value) - double(m_Min));
    if (offset && m_Range != 0) {
        const double frame = std::floor((double(m_FrameCount) / double(m_Range)) * double(*offset));
        if (const auto f = integer16(frame)) {
            m_Frame = *f;
        }
    }
    if (m_Frame == 0) {
        m_Frame = 1;
    }
    copyFrame();
    picVol->Refresh();
}

// One frame per mouse move with the left button alone held: down turns it towards Min, up towards Max.
void animKnob::picVol_MouseMove(int16_t Button, int16_t /*Shift*/, float /*X*/, float Y)
{
    if (Button != 1) {
        return;
    }
    if (double(Y) == double(m_LastY)) {
        return;
    }
    if (const auto next = integer16(double(m_Frame) + (Y > float(m_LastY) ? -1.0 : 1.0))) {
        m_Frame = *next;
    }
    if (const auto row = integer16(std::nearbyint(double(Y)))) {
        m_LastY = *row;
    }
    if (m_Frame > m_FrameCount) {
        m_Frame = m_FrameCount;
        return;
    }
    if (m_Frame < 1) {
        m_Frame = 1;
        return;
    }
    copyFrame();
    picVol->Refresh();
    computeRange();
    if (m_FrameCount != 0) {
        const double value = std::floor((double(m_Range) / double(m_FrameCount)) * double(m_Frame) + double(m_Min));
        if (const auto v = integer16(value)) {
            m_Value = *v;
        }
    }
    emit PropertyChanged(QStringLiteral("Value"));
    emit Scroll(m_Value);
}

void animKnob::picVol_DblClick()
{
    emit DblClick();
}
