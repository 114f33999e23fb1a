// Picture boxes for skinned controls: a drawing surface that keeps its picture, and a plain copy between two
// surfaces.
#pragma once

#include <QCursor>
#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace platform {

// Mouse buttons as the program counts them: 1 left, 2 right, 4 middle, summed when several are held.
int16_t mouseButtonCode(Qt::MouseButtons buttons);
// Shift state: 1 shift, 2 control, 4 alt.
int16_t mouseShiftCode(Qt::KeyboardModifiers modifiers);

// The pointer a pointer-shape code asks for: 1 arrow, 2 cross, 3 I-beam, 4 icon (an arrow here), 5 and 15
// size all, 6 size NE-SW, 7 size N-S, 8 size NW-SE, 9 size W-E, 10 up arrow, 11 hourglass, 12 no drop,
// 13 arrow and hourglass, 14 arrow and question mark, 99 the picture `icon`. nullopt for the default
// pointer: code 0, an unknown code, or 99 without a picture.
std::optional<QCursor> pointerCursor(int16_t code, const QPixmap& icon);

// A picture box measuring in pixels. What is drawn into its surface stays there and is shown until the
// next drawing, also after the box was covered; Refresh() puts the surface on screen at once.
class SurfaceBox : public QWidget
{
    Q_OBJECT
public:
    SurfaceBox(const QSize& pixels, const QColor& background, QWidget* parent = nullptr);

    // The drawing surface.
    QPixmap& hDC() { return m_surface; }
    const QPixmap& hDC() const { return m_surface; }
    int ScaleWidth() const { return m_surface.width(); }
    int ScaleHeight() const { return m_surface.height(); }
    // Draws a picture file at the top-left corner of the surface; false (surface unchanged) when it cannot
    // be read.
    bool loadPicture(const QString& path);
    void Refresh();

signals:
    // A press of the left, right or middle button (Button 1, 2 or 4); Shift as mouseShiftCode; X and Y in
    // the box's pixels.
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    // Button is the sum of the buttons held.
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    // The second press of a double click, which raises no MouseDown.
    void DblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPixmap m_surface;
};

// Copies the w x h rectangle at sx, sy of src to dx, dy of dest, pixel for pixel. Only the part that lies
// inside both surfaces is read and written, the rest of dest stays as it was; false when no pixel is copied.
bool BitBlt(QPixmap& dest, int dx, int dy, int w, int h, const QPixmap& src, int sx, int sy);

} // namespace platform
