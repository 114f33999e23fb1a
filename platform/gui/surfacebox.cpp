#include "platform/gui/surfacebox.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <iterator>

namespace platform {

int16_t mouseButtonCode(Qt::MouseButtons buttons)
{
    int16_t code = 0;
    if (buttons & Qt::LeftButton) {
        code |= 1;
    }
    if (buttons & Qt::RightButton) {
        code |= 2;
    }
    if (buttons & Qt::MiddleButton) {
        code |= 4;
    }
    return code;
}

int16_t mouseShiftCode(Qt::KeyboardModifiers modifiers)
{
    int16_t code = 0;
    if (modifiers & Qt::ShiftModifier) {
        code |= 1;
    }
    if (modifiers & Qt::ControlModifier) {
        code |= 2;
    }
    if (modifiers & Qt::AltModifier) {
        code |= 4;
    }
    return code;
}

std::optional<QCursor> pointerCursor(int16_t code, const QPixmap& icon)
{
    static constexpr Qt::CursorShape shapes[] = {
        Qt::ArrowCursor,     Qt::ArrowCursor,   Qt::CrossCursor,     Qt::IBeamCursor,
        Qt::ArrowCursor,     Qt::SizeAllCursor, Qt::SizeBDiagCursor, Qt::SizeVerCursor,
        Qt::SizeFDiagCursor, Qt::SizeHorCursor, Qt::UpArrowCursor,   Qt::WaitCursor,
        Qt::ForbiddenCursor, Qt::BusyCursor,    Qt::WhatsThisCursor, Qt::SizeAllCursor,
    };
    if (code == 99 && !icon.isNull()) {
        return QCursor(icon);
    }
    if (code >= 1 && code < int16_t(std::size(shapes))) {
        return QCursor(shapes[code]);
    }
    return std::nullopt;
}

SurfaceBox::SurfaceBox(const QSize& pixels, const QColor& background, QWidget* parent)
    : QWidget(parent), m_surface(pixels)
{
    m_surface.fill(background);
    resize(pixels);
    // The surface covers the whole box: nothing needs erasing beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool SurfaceBox::loadPicture(const QString& path)
{
    const QImage picture(path);
    if (picture.isNull()) {
        return false;
    }
    QPainter p(&m_surface);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, picture);
    return true;
}

void SurfaceBox::Refresh()
{
    repaint();
}

void SurfaceBox::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.drawPixmap(event->rect(), m_surface, event->rect());
}

// Only the left, right and middle buttons press; back, forward and the rest do nothing.
void SurfaceBox::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const int16_t button = mouseButtonCode(event->button());
    if (button != 0) {
        emit MouseDown(button, mouseShiftCode(event->modifiers()), float(event->position().x()),
                       float(event->position().y()));
    }
}

void SurfaceBox::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    emit MouseMove(mouseButtonCode(event->buttons()), mouseShiftCode(event->modifiers()), float(event->position().x()),
                   float(event->position().y()));
}

void SurfaceBox::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

// Not a press: Qt would otherwise hand the second press of a double click to mousePressEvent.
void SurfaceBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (mouseButtonCode(event->button()) != 0) {
        emit DblClick();
    }
}

bool BitBlt(QPixmap& dest, int dx, int dy, int w, int h, const QPixmap& src, int sx, int sy)
{
    if (w <= 0 || h <= 0 || dest.isNull() || src.isNull()) {
        return false;
    }
    // Source rectangle clipped to the source, then the matching destination rectangle clipped to the
    // destination; the source is clipped again to what remains. 64-bit sums: no corner can overflow.
    const qint64 left = std::max<qint64>({ 0, sx, qint64(sx) - dx });
    const qint64 top = std::max<qint64>({ 0, sy, qint64(sy) - dy });
    const qint64 right = std::min<qint64>({ src.width(), qint64(sx) + w, qint64(sx) - dx + dest.width() });
    const qint64 bottom = std::min<qint64>({ src.height(), qint64(sy) + h, qint64(sy) - dy + dest.height() });
    if (left >= right || top >= bottom) {
        return false;
    }
    const QRect from(int(left), int(top), int(right - left), int(bottom - top));
    const QRect to(int(left - sx + dx), int(top - sy + dy), from.width(), from.height());
    QPainter p(&dest);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawPixmap(to, src, from);
    return true;
}

} // namespace platform
