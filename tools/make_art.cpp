// Draws the player's control art: the knob strip, the two small key strips, the sync panel strip (24-bit
// bottom-up BMP files at 72 dpi) and the 32 x 32 window icon (16-colour PNG).
// Usage: make_art <output folder>
#include "controls/colours.h"

#include <QConicalGradient>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// Every picture is painted this many times larger, then scaled down: smooth edges at the small sizes.
constexpr int kOversample = 4;

// ---- BMP writer: 14-byte file header, 40-byte information header, 24-bit rows bottom-up, 2834 px/m.

void put16(QByteArray& b, quint16 v)
{
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}

void put32(QByteArray& b, quint32 v)
{
    for (int i = 0; i < 4; ++i) {
        b.append(char((v >> (8 * i)) & 0xff));
    }
}

bool writeBmp(const QImage& image, const QString& path)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const quint32 rowBytes = quint32((rgb.width() * 3 + 3) / 4 * 4);
    const quint32 pixelBytes = rowBytes * quint32(rgb.height());
    QByteArray b;
    b.append("BM");
    put32(b, 54 + pixelBytes);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, quint32(rgb.width()));
    put32(b, quint32(rgb.height()));
    put16(b, 1);
    put16(b, 24);
    put32(b, 0);
    put32(b, pixelBytes);
    put32(b, 2834);
    put32(b, 2834);
    put32(b, 0);
    put32(b, 0);
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const uchar* line = rgb.constScanLine(y);
        quint32 n = 0;
        for (int x = 0; x < rgb.width(); ++x, n += 3) {
            b.append(char(line[3 * x + 2]));
            b.append(char(line[3 * x + 1]));
            b.append(char(line[3 * x]));
        }
        for (; n < rowBytes; ++n) {
            b.append('\0');
        }
    }
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(b) == b.size();
}

// ---- drawing helpers

// Paints with `draw` in output pixels on an oversampled canvas and returns the picture at its size.
QImage render(const QSize& size, const std::function<void(QPainter&)>& draw)
{
    QImage big(size * kOversample, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(kOversample, kOversample);
        draw(p);
    }
    return big.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QPointF polar(const QPointF& centre, double radius, double degreesFromTop)
{
    const double a = degreesFromTop * M_PI / 180.0;
    return centre + QPointF(radius * std::sin(a), -radius * std::cos(a));
}

void disc(QPainter& p, const QPointF& centre, double radius, const QBrush& brush)
{
    p.setPen(Qt::NoPen);
    p.setBrush(brush);
    p.drawEllipse(centre, radius, radius);
}

QLinearGradient diagonal(const QPointF& centre, double radius, const QColor& lit, const QColor& shaded)
{
    QLinearGradient g(centre + QPointF(-radius, -radius) * 0.7, centre + QPointF(radius, radius) * 0.7);
    g.setColorAt(0, lit);
    g.setColorAt(1, shaded);
    return g;
}

// Soft shadow under a round part, the light coming from the top left.
void roundShadow(QPainter& p, const QPointF& centre, double radius, double spread, int alpha)
{
    QRadialGradient g(centre + QPointF(0.6, 1.0), radius + spread);
    const double inner = radius / (radius + spread);
    g.setColorAt(0, QColor(0, 0, 0, alpha));
    g.setColorAt(inner, QColor(0, 0, 0, alpha));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    disc(p, centre + QPointF(0.6, 1.0), radius + spread, g);
}

// ---- the knob: 78 frames of 50 x 50, pointer from 204 degrees (frame 1) turning 4 degrees a frame

constexpr int kKnobSize = 50;
constexpr int kKnobFrames = 78;

void drawKnob(QPainter& p, double pointerDegrees)
{
    const QPointF c(25, 25);
    p.fillRect(QRectF(0, 0, kKnobSize, kKnobSize), controls::kPanelColour);

    // Scale: the clock positions 7 to 5, none at 6; the ends and the top a little longer.
    for (int hour = 7; hour <= 17; ++hour) {
        const double a = (hour % 12) * 30.0;
        const bool major = hour == 7 || hour == 12 || hour == 17;
        p.setPen(QPen(QColor(255, 226, 232), major ? 1.9 : 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(polar(c, major ? 20.6 : 21.4, a), polar(c, 23.5, a));
    }

    roundShadow(p, c, 18.5, 2.6, 120);

    // Skirt, then the bevelled rim of the cap, then its face.
    disc(p, c, 19.0, QColor(30, 24, 28));
    disc(p, c, 18.4, diagonal(c, 18.4, QColor(128, 128, 136), QColor(38, 38, 44)));
    disc(p, c, 16.6, diagonal(c, 16.6, QColor(252, 252, 253), QColor(112, 114, 122)));

    QRadialGradient face(c + QPointF(-4.5, -5.5), 21);
    face.setColorAt(0, QColor(246, 247, 249));
    face.setColorAt(0.55, QColor(208, 210, 216));
    face.setColorAt(1, QColor(160, 163, 171));
    disc(p, c, 14.9, face);

    // Brushed metal: a fixed sheen and fine turned rings.
    QConicalGradient sheen(c, 0);
    const QColor clear(255, 255, 255, 0);
    sheen.setColorAt(0.00, clear);
    sheen.setColorAt(0.12, QColor(255, 255, 255, 70));
    sheen.setColorAt(0.25, clear);
    sheen.setColorAt(0.50, clear);
    sheen.setColorAt(0.62, QColor(255, 255, 255, 55));
    sheen.setColorAt(0.75, clear);
    sheen.setColorAt(1.00, clear);
    disc(p, c, 14.9, sheen);
    p.setBrush(Qt::NoBrush);
    for (double r = 2.0; r < 14.5; r += 1.1) {
        p.setPen(QPen(QColor(r < 7 ? 255 : 0, r < 7 ? 255 : 0, r < 7 ? 255 : 0, 14), 0.35));
        p.drawEllipse(c, r, r);
    }
    p.setPen(QPen(QColor(255, 255, 255, 120), 0.5));
    p.drawArc(QRectF(c.x() - 14.6, c.y() - 14.6, 29.2, 29.2), 60 * 16, 90 * 16);

    // The pointer groove, engraved: a lit lower edge, the dark groove, a darker floor.
    const QPointF inner = polar(c, 4.2, pointerDegrees);
    const QPointF outer = polar(c, 13.6, pointerDegrees);
    const QPointF lit(0.45, 0.55);
    p.setPen(QPen(QColor(255, 255, 255, 170), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(inner + lit, outer + lit);
    p.setPen(QPen(QColor(52, 52, 58), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(inner, outer);
    p.setPen(QPen(QColor(22, 22, 26), 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(inner - lit * 0.3, outer - lit * 0.3);
}

QImage knobStrip()
{
    QImage strip(kKnobSize, kKnobSize * kKnobFrames, QImage::Format_RGB32);
    QPainter p(&strip);
    for (int k = 1; k <= kKnobFrames; ++k) {
        const double degrees = std::fmod(204.0 + 4.0 * (k - 1), 360.0);
        p.drawImage(0, (k - 1) * kKnobSize,
                    render(QSize(kKnobSize, kKnobSize), [&](QPainter& q) { drawKnob(q, degrees); }));
    }
    return strip;
}

// ---- the small keys: 29 x 20 frames, off above, on below

constexpr int kKeyWidth = 29;
constexpr int kKeyHeight = 20;

void drawKey(QPainter& p, const QColor* light)
{
    p.fillRect(QRectF(0, 0, kKeyWidth, kKeyHeight), controls::kPanelColour);
    const QRectF key(0.5, 0.5, kKeyWidth - 1.0, kKeyHeight - 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 18, 22));
    p.drawRoundedRect(key, 4.2, 4.2);
    QLinearGradient body(0, 1, 0, kKeyHeight - 1);
    body.setColorAt(0, QColor(118, 118, 124));
    body.setColorAt(0.12, QColor(84, 84, 90));
    body.setColorAt(0.85, QColor(54, 54, 59));
    body.setColorAt(1, QColor(38, 38, 42));
    p.setBrush(body);
    p.drawRoundedRect(key.adjusted(0.8, 0.8, -0.8, -0.8), 3.5, 3.5);

    const QPointF c(kKeyWidth / 2.0, kKeyHeight / 2.0);
    if (!light) {
        // The unlit slot: a dark recess with a lit lower lip.
        const QRectF slot(c.x() - 7.5, c.y() - 2.2, 15, 4.4);
        p.setBrush(QColor(150, 150, 156, 110));
        p.drawRoundedRect(slot.translated(0, 0.7), 2.2, 2.2);
        QLinearGradient recess(0, slot.top(), 0, slot.bottom());
        recess.setColorAt(0, QColor(14, 12, 13));
        recess.setColorAt(1, QColor(46, 36, 40));
        p.setBrush(recess);
        p.drawRoundedRect(slot, 2.2, 2.2);
        return;
    }
    // The lit oval: a glow on the key, the lamp, and a small reflection.
    QRadialGradient glow(c, 10.5);
    glow.setColorAt(0, QColor(light->red(), light->green(), light->blue(), 150));
    glow.setColorAt(1, QColor(light->red(), light->green(), light->blue(), 0));
    p.setBrush(glow);
    p.drawEllipse(c, 13.0, 9.5);
    const QRectF oval(c.x() - 7.5, c.y() - 5.0, 15, 10);
    p.setBrush(QColor(20, 14, 16, 200));
    p.drawEllipse(oval.adjusted(-0.6, -0.6, 0.6, 0.6));
    QRadialGradient lamp(c + QPointF(-1.2, -1.4), 8.5);
    lamp.setColorAt(0, light->lighter(170));
    lamp.setColorAt(0.45, *light);
    lamp.setColorAt(1, light->darker(190));
    p.setBrush(lamp);
    p.drawEllipse(oval);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QRectF(c.x() - 4.6, c.y() - 3.9, 5.2, 2.6));
}

QImage keyStrip(const QColor& light)
{
    QImage strip(kKeyWidth, kKeyHeight * 2, QImage::Format_RGB32);
    QPainter p(&strip);
    const QSize frame(kKeyWidth, kKeyHeight);
    p.drawImage(0, 0, render(frame, [](QPainter& q) { drawKey(q, nullptr); }));
    p.drawImage(0, kKeyHeight, render(frame, [&](QPainter& q) { drawKey(q, &light); }));
    return strip;
}

// ---- the sync panel: 685 x 121 frames, lights unlit above, lit below

constexpr int kPanelWidth = 685;
constexpr int kPanelHeight = 121;
constexpr double kLightY = 22.0;
constexpr double kLightX[3] = { 120.0, 342.0, 558.0 };

void engrave(QPainter& p, const QRectF& box, const QString& text, int pixelSize, double spacing)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    f.setHintingPreference(QFont::PreferNoHinting);
    p.setFont(f);
    p.setPen(QColor(10, 10, 12, 200));
    p.drawText(box.translated(0, 1.0), Qt::AlignCenter, text);
    p.setPen(QColor(214, 216, 222));
    p.drawText(box, Qt::AlignCenter, text);
}

void screw(QPainter& p, const QPointF& c, double slotDegrees)
{
    roundShadow(p, c, 3.6, 1.4, 130);
    disc(p, c, 3.8, diagonal(c, 3.8, QColor(196, 198, 204), QColor(70, 72, 78)));
    disc(p, c, 3.0, diagonal(c, 3.0, QColor(150, 152, 158), QColor(110, 112, 118)));
    p.setPen(QPen(QColor(30, 30, 34), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(polar(c, 2.4, slotDegrees), polar(c, 2.4, slotDegrees + 180));
}

void drawPanel(QPainter& p, bool lit)
{
    const QRectF all(0, 0, kPanelWidth, kPanelHeight);
    QLinearGradient body(0, 0, 0, kPanelHeight);
    body.setColorAt(0, QColor(84, 85, 90));
    body.setColorAt(0.5, QColor(62, 63, 68));
    body.setColorAt(1, QColor(46, 47, 51));
    p.fillRect(all, body);
    // Fine brushed lines across the plate.
    for (double y = 1.5; y < kPanelHeight; y += 2.0) {
        p.setPen(QPen(QColor(255, 255, 255, int(y) % 3 == 0 ? 7 : 4), 0.5));
        p.drawLine(QPointF(0, y), QPointF(kPanelWidth, y));
    }
    // Bevelled edges: light along the top and left, shade along the bottom and right.
    p.setPen(QPen(QColor(150, 151, 158), 1.0));
    p.drawLine(QPointF(0.5, 0.5), QPointF(kPanelWidth - 0.5, 0.5));
    p.drawLine(QPointF(0.5, 0.5), QPointF(0.5, kPanelHeight - 0.5));
    p.setPen(QPen(QColor(22, 22, 25), 1.0));
    p.drawLine(QPointF(0.5, kPanelHeight - 0.5), QPointF(kPanelWidth - 0.5, kPanelHeight - 0.5));
    p.drawLine(QPointF(kPanelWidth - 0.5, 0.5), QPointF(kPanelWidth - 0.5, kPanelHeight - 0.5));

    // Lettering between the lights.
    engrave(p, QRectF(kLightX[0] + 14, kLightY - 10, kLightX[1] - kLightX[0] - 28, 20), QStringLiteral("SYNC ALL"), 15,
            3.0);
    engrave(p, QRectF(kLightX[1] + 14, kLightY - 10, kLightX[2] - kLightX[1] - 28, 20), QStringLiteral("START / STOP"),
            11, 2.0);

    // The recessed field.
    const QRectF field(22, 44, kPanelWidth - 44, 62);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 122, 128, 120));
    p.drawRoundedRect(field.adjusted(-1, -1, 1, 1.6), 5, 5);
    QLinearGradient well(0, field.top(), 0, field.bottom());
    well.setColorAt(0, QColor(12, 12, 14));
    well.setColorAt(0.25, QColor(24, 24, 27));
    well.setColorAt(1, QColor(32, 32, 36));
    p.setBrush(well);
    p.drawRoundedRect(field, 4.5, 4.5);
    QLinearGradient shade(0, field.top(), 0, field.top() + 8);
    shade.setColorAt(0, QColor(0, 0, 0, 140));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(shade);
    p.drawRoundedRect(field, 4.5, 4.5);

    // Screw heads at both side edges.
    screw(p, QPointF(10.5, 22), 35);
    screw(p, QPointF(10.5, 99), 120);
    screw(p, QPointF(kPanelWidth - 10.5, 22), 75);
    screw(p, QPointF(kPanelWidth - 10.5, 99), 160);

    // The three lights: discs 16 pixels across in dark bezels.
    for (const double x : kLightX) {
        const QPointF c(x, kLightY);
        if (lit) {
            QRadialGradient halo(c, 20);
            halo.setColorAt(0, QColor(90, 255, 110, 120));
            halo.setColorAt(0.45, QColor(70, 230, 90, 45));
            halo.setColorAt(1, QColor(60, 220, 80, 0));
            disc(p, c, 20, halo);
        }
        disc(p, c, 10.2, diagonal(c, 10.2, QColor(24, 24, 27), QColor(140, 142, 148)));
        disc(p, c, 9.0, QColor(14, 14, 16));
        QRadialGradient lens(c + QPointF(-2.2, -2.6), 10);
        if (lit) {
            lens.setColorAt(0, QColor(226, 255, 222));
            lens.setColorAt(0.35, QColor(110, 250, 110));
            lens.setColorAt(0.8, QColor(30, 175, 55));
            lens.setColorAt(1, QColor(16, 110, 34));
        } else {
            lens.setColorAt(0, QColor(88, 110, 92));
            lens.setColorAt(0.5, QColor(38, 58, 44));
            lens.setColorAt(1, QColor(16, 26, 20));
        }
        disc(p, c, 8.0, lens);
        p.setBrush(QColor(255, 255, 255, lit ? 170 : 90));
        p.drawEllipse(QRectF(c.x() - 5.0, c.y() - 5.6, 5.6, 3.2));
    }
}

QImage panelStrip()
{
    QImage strip(kPanelWidth, kPanelHeight * 2, QImage::Format_RGB32);
    QPainter p(&strip);
    const QSize frame(kPanelWidth, kPanelHeight);
    p.drawImage(0, 0, render(frame, [](QPainter& q) { drawPanel(q, false); }));
    p.drawImage(0, kPanelHeight, render(frame, [](QPainter& q) { drawPanel(q, true); }));
    return strip;
}

// ---- the window icon: a small knob on a crimson tile, reduced to 16 colours

QImage icon()
{
    const QImage full = render(QSize(32, 32), [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 24, 48));
        p.drawRoundedRect(QRectF(1, 1.6, 30, 30), 6, 6);
        p.setBrush(controls::kPanelColour);
        p.drawRoundedRect(QRectF(1, 1, 30, 29.4), 6, 6);
        p.translate(16, 16);
        p.scale(0.58, 0.58);
        p.translate(-25, -25);
        p.setClipRect(QRectF(2, 2, 46, 46));
        QPainterPath round;
        round.addEllipse(QPointF(25, 25), 24.5, 24.5);
        p.setClipPath(round);
        drawKnob(p, 320.0);
    });
    const QList<QRgb> palette = {
        qRgba(0, 0, 0, 0),   qRgb(0, 0, 0),       qRgb(36, 36, 40),    qRgb(70, 70, 76),
        qRgb(110, 112, 118), qRgb(150, 152, 158), qRgb(190, 192, 198), qRgb(226, 228, 232),
        qRgb(250, 250, 252), qRgb(80, 16, 34),    qRgb(120, 24, 48),   qRgb(160, 38, 64),
        controls::kPanelColour.rgb(), qRgb(226, 120, 140), qRgb(252, 222, 228), qRgb(100, 60, 70),
    };
    QImage out(32, 32, QImage::Format_Indexed8);
    out.setColorTable(palette);
    const QImage src = full.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb c = src.pixel(x, y);
            int best = 0;
            if (qAlpha(c) >= 128) {
                long bestDistance = -1;
                for (int i = 1; i < palette.size(); ++i) {
                    const long dr = qRed(c) - qRed(palette[i]);
                    const long dg = qGreen(c) - qGreen(palette[i]);
                    const long db = qBlue(c) - qBlue(palette[i]);
                    const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                    if (bestDistance < 0 || d < bestDistance) {
                        bestDistance = d;
                        best = i;
                    }
                }
            }
            out.setPixel(x, y, uint(best));
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = writeBmp(knobStrip(), out.filePath(QStringLiteral("knob.bmp")));
    ok = writeBmp(keyStrip(QColor(236, 36, 30)), out.filePath(QStringLiteral("minibutton.bmp"))) && ok;
    ok = writeBmp(keyStrip(QColor(46, 214, 60)), out.filePath(QStringLiteral("minibuttongreen.bmp"))) && ok;
    ok = writeBmp(panelStrip(), out.filePath(QStringLiteral("syncbutton.bmp"))) && ok;
    ok = icon().save(out.filePath(QStringLiteral("icon.png")), "PNG") && ok;
    if (!ok) {
        std::fprintf(stderr, "%s: could not write the pictures into %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
