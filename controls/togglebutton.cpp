#include "controls/togglebutton.h"

#include "platform/core/integer16.h"
#include "platform/gui/surfacebox.h"

using platform::integer16;

toggleButton::toggleButton(const Skin& skin, QWidget* parent)
    : SurfaceControl(parent),
      picButton(new platform::SurfaceBox(skin.buttonBoxPixels, Qt::black, this)),
      picButStrip(new platform::SurfaceBox(skin.stripPixels, Qt::black, this))
{
    picButStrip->move(skin.stripPosition);
    picButStrip->hide();
    picButStrip->loadPicture(QString::fromLatin1(skin.stripFile));
    connect(picButton, &platform::SurfaceBox::MouseDown, this, &toggleButton::picButton_MouseDown);
    UserControl_Initialize();
}

void toggleButton::setValue(bool newValue)
{
    m_Value = newValue;
    emit PropertyChanged(QStringLiteral("Value"));
    DrawButton();
}

void toggleButton::picButton_MouseDown(int16_t /*Button*/, int16_t /*Shift*/, float /*X*/, float /*Y*/)
{
    m_Value = !m_Value;
    DrawButton();
    emit Push(m_Value);
}

// One frame large: the strip's width and half its height.
void toggleButton::UserControl_Resize()
{
    setFixedSize(picButStrip->width(), picButStrip->height() / 2);
}

void toggleButton::resizeEvent(QResizeEvent* event)
{
    SurfaceControl::resizeEvent(event);
    UserControl_Resize();
}

void toggleButton::UserControl_Initialize()
{
    m_Value = false;
    if (const auto half = integer16(double(picButStrip->ScaleHeight() / 2))) {
        m_HalfHeight = *half;
    }
    DrawButton();
    UserControl_Resize();
}

void toggleButton::UserControl_ReadProperties(const platform::PropertyBag& PropBag)
{
    readSurfaceProperties(PropBag);
    m_Value = PropBag.ReadProperty(QStringLiteral("Value"), false).toBool();
    if (isEnabled()) {
        DrawButton();
    }
}

void toggleButton::UserControl_WriteProperties(platform::PropertyBag& PropBag) const
{
    writeSurfaceProperties(PropBag);
    PropBag.WriteProperty(QStringLiteral("Value"), m_Value, false);
}

// The off frame starts at the top of the strip, the on frame at half its height. The box is larger than a
// frame; only the part of the copy that lies inside the strip is taken.
void toggleButton::DrawButton()
{
    const int row = m_Value ? m_HalfHeight : 0;
    platform::BitBlt(picButton->hDC(), 0, 0, picButton->ScaleWidth(), picButton->ScaleHeight(), picButStrip->hDC(), 0,
                     row);
    picButton->Refresh();
}

miniButton::miniButton(QWidget* parent)
    : toggleButton({ ":/minibutton.bmp", QSize(29, 40), QPoint(120, 20), QSize(67, 39) }, parent)
{ }

miniButtonGreen::miniButtonGreen(QWidget* parent)
    : toggleButton({ ":/minibuttongreen.bmp", QSize(29, 40), QPoint(120, 20), QSize(67, 39) }, parent)
{ }

syncButton::syncButton(QWidget* parent)
    : toggleButton({ ":/syncbutton.bmp", QSize(685, 242), QPoint(20, 156), QSize(703, 135) }, parent)
{ }
