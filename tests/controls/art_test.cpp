// The control pictures carried in the program: their file layout and what the controls rely on.
#include "controls/colours.h"

#include <QFile>
#include <QImage>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

quint32 at32(const QByteArray& b, int offset)
{
    return qFromLittleEndian<quint32>(b.constData() + offset);
}

quint16 at16(const QByteArray& b, int offset)
{
    return qFromLittleEndian<quint16>(b.constData() + offset);
}

TEST(Art, StripsAreUncompressedBottomUpBitmaps)
{
    struct Case
    {
        const char* file;
        quint32 width, height, rowBytes;
    };
    for (const Case& c :
         { Case { ":/knob.bmp", 50, 3900, 152 }, Case { ":/minibutton.bmp", 29, 40, 88 },
           Case { ":/minibuttongreen.bmp", 29, 40, 88 }, Case { ":/syncbutton.bmp", 685, 242, 2056 } }) {
        QFile f(QString::fromLatin1(c.file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << c.file;
        const QByteArray b = f.readAll();
        const quint32 pixels = c.rowBytes * c.height;
        ASSERT_EQ(quint32(b.size()), 54 + pixels) << c.file;
        EXPECT_EQ(b.left(2), "BM") << c.file;
        EXPECT_EQ(at32(b, 2), 54 + pixels) << c.file;
        EXPECT_EQ(at32(b, 10), 54u) << c.file;
        EXPECT_EQ(at32(b, 14), 40u) << c.file;
        EXPECT_EQ(at32(b, 18), c.width) << c.file;
        EXPECT_EQ(at32(b, 22), c.height) << c.file; // positive: bottom-up
        EXPECT_EQ(at16(b, 26), 1) << c.file;
        EXPECT_EQ(at16(b, 28), 24) << c.file;
        EXPECT_EQ(at32(b, 30), 0u) << c.file;
        EXPECT_EQ(at32(b, 34), pixels) << c.file;
        EXPECT_EQ(at32(b, 38), 2834u) << c.file;
        EXPECT_EQ(at32(b, 42), 2834u) << c.file;
    }
}

TEST(Art, KnobFramesDifferOnlyInTheirCap)
{
    const QImage strip = QImage(":/knob.bmp").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(strip.size(), QSize(50, 3900));
    EXPECT_EQ(strip.pixel(0, 0), controls::kPanelColour.rgb());
    for (int frame = 1; frame < 78; ++frame) {
        bool capChanged = false;
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < 50; ++x) {
                const double dx = x + 0.5 - 25, dy = y + 0.5 - 25;
                const bool same = strip.pixel(x, y) == strip.pixel(x, frame * 50 + y);
                if (dx * dx + dy * dy > 20.5 * 20.5) {
                    ASSERT_TRUE(same) << "frame " << frame + 1 << " at " << x << "," << y;
                } else {
                    capChanged = capChanged || !same;
                }
            }
        }
        EXPECT_TRUE(capChanged) << "frame " << frame + 1;
    }
}

TEST(Art, KeysShareTheirOffFrame)
{
    const QImage red(":/minibutton.bmp");
    const QImage green(":/minibuttongreen.bmp");
    EXPECT_EQ(red.copy(0, 0, 29, 20), green.copy(0, 0, 29, 20));
    EXPECT_NE(red.copy(0, 20, 29, 20), green.copy(0, 20, 29, 20));
}

TEST(Art, WindowIconHasSixteenColours)
{
    const QImage icon(":/icon.png");
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_LE(icon.colorCount(), 16);
    EXPECT_GT(icon.colorCount(), 0);
}

} // namespace
