#include "controls/togglebutton.h"
#include "tests/controls/controlsupport.h"

#include <QSignalSpy>

using namespace controlsupport;

namespace {

class ButtonTest : public MouseTest
{
protected:
    template<typename Skin> Skin* button(const platform::PropertyBag& stored = {})
    {
        Skin* b = make<Skin>();
        b->UserControl_ReadProperties(stored);
        return b;
    }
};

QImage offFrame(const QString& strip, int half)
{
    return stripRows(strip, 0, half);
}

QImage onFrame(const QString& strip, int half)
{
    return stripRows(strip, half, half);
}

TEST_F(ButtonTest, EverySkinShowsItsFramesAndKeepsTheirSize)
{
    struct Case
    {
        toggleButton* button;
        QString strip;
        QSize size;
    };
    const Case cases[] = {
        { button<miniButton>(), ":/minibutton.bmp", QSize(29, 20) },
        { button<miniButtonGreen>(), ":/minibuttongreen.bmp", QSize(29, 20) },
        { button<syncButton>(), ":/syncbutton.bmp", QSize(685, 121) },
    };
    for (const Case& c : cases) {
        const int half = c.size.height();
        EXPECT_EQ(c.button->size(), c.size) << c.strip.toStdString();
        c.button->resize(c.size * 2);
        EXPECT_EQ(c.button->size(), c.size) << c.strip.toStdString();
        EXPECT_EQ(shown(*c.button), offFrame(c.strip, half)) << c.strip.toStdString();
        QTest::mousePress(mouseBox(*c.button), Qt::LeftButton);
        EXPECT_EQ(shown(*c.button), onFrame(c.strip, half)) << c.strip.toStdString();
        c.button->setValue(false);
        EXPECT_EQ(shown(*c.button), offFrame(c.strip, half)) << c.strip.toStdString();
    }
    EXPECT_EQ(shown(*cases[0].button), shown(*cases[1].button));
}

TEST_F(ButtonTest, AnyButtonTogglesAndReportsTheNewState)
{
    miniButton* b = button<miniButton>();
    const auto pushes = record<toggleButton>(b, &toggleButton::Push);
    bool valueInHandler = false;
    QObject::connect(b, &toggleButton::Push, b, [&](bool& v) { valueInHandler = (v == b->Value()); });
    for (const Qt::MouseButton which : { Qt::LeftButton, Qt::RightButton, Qt::MiddleButton, Qt::LeftButton }) {
        QTest::mousePress(mouseBox(*b), which, Qt::NoModifier, QPoint(3, 3));
        QTest::mouseRelease(mouseBox(*b), which, Qt::NoModifier, QPoint(3, 3));
    }
    EXPECT_EQ(*pushes, QList<int>({ 1, 0, 1, 0 }));
    EXPECT_TRUE(valueInHandler);
    EXPECT_FALSE(b->Value());
}

TEST_F(ButtonTest, BackAndForwardButtonsDoNotToggle)
{
    miniButtonGreen* b = button<miniButtonGreen>();
    const auto pushes = record<toggleButton>(b, &toggleButton::Push);
    for (const Qt::MouseButton which : { Qt::BackButton, Qt::ForwardButton }) {
        QTest::mousePress(mouseBox(*b), which, Qt::NoModifier, QPoint(3, 3));
        QTest::mouseRelease(mouseBox(*b), which, Qt::NoModifier, QPoint(3, 3));
    }
    EXPECT_TRUE(pushes->isEmpty());
    EXPECT_FALSE(b->Value());
}

TEST_F(ButtonTest, ADoubleClickTogglesOnce)
{
    syncButton* b = button<syncButton>();
    const auto pushes = record<toggleButton>(b, &toggleButton::Push);
    QTest::mousePress(mouseBox(*b), Qt::LeftButton);
    QTest::mouseRelease(mouseBox(*b), Qt::LeftButton);
    QTest::mouseDClick(mouseBox(*b), Qt::LeftButton);
    QTest::mouseRelease(mouseBox(*b), Qt::LeftButton);
    EXPECT_EQ(pushes->size(), 1);
    EXPECT_TRUE(b->Value());
}

TEST_F(ButtonTest, HandlersMayChangeTheState)
{
    const QString strip = ":/minibuttongreen.bmp";
    miniButtonGreen* off = button<miniButtonGreen>();
    QObject::connect(off, &toggleButton::Push, off, [off](bool&) { off->setValue(false); });
    QTest::mousePress(mouseBox(*off), Qt::LeftButton);
    EXPECT_FALSE(off->Value());
    EXPECT_EQ(shown(*off), offFrame(strip, 20));

    miniButtonGreen* assigned = button<miniButtonGreen>();
    QObject::connect(assigned, &toggleButton::Push, assigned, [](bool& v) { v = false; });
    QTest::mousePress(mouseBox(*assigned), Qt::LeftButton);
    EXPECT_FALSE(assigned->Value());
    EXPECT_EQ(shown(*assigned), onFrame(strip, 20)); // no redraw
}

TEST_F(ButtonTest, SettingValueNotifiesWithoutPush)
{
    miniButton* b = button<miniButton>();
    const auto pushes = record<toggleButton>(b, &toggleButton::Push);
    QSignalSpy changed(b, &toggleButton::PropertyChanged);
    b->setValue(false);
    b->setValue(true);
    EXPECT_EQ(pushes->size(), 0);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(0).at(0).toString(), "Value");
    EXPECT_EQ(shown(*b), onFrame(":/minibutton.bmp", 20));
}

TEST_F(ButtonTest, ADisabledButtonIgnoresPresses)
{
    const QString strip = ":/minibutton.bmp";
    miniButton* b = button<miniButton>({ { "Enabled", false }, { "Value", true } });
    EXPECT_TRUE(b->Value());
    EXPECT_EQ(shown(*b), offFrame(strip, 20)); // drawn at creation only
    const auto pushes = record<toggleButton>(b, &toggleButton::Push);
    QTest::mousePress(mouseBox(*b), Qt::LeftButton);
    QTest::mouseRelease(mouseBox(*b), Qt::LeftButton);
    EXPECT_EQ(pushes->size(), 0);
    EXPECT_TRUE(b->Value());

    b->setEnabledProperty(true);
    EXPECT_EQ(shown(*b), offFrame(strip, 20));
    QTest::mousePress(mouseBox(*b), Qt::LeftButton);
    EXPECT_EQ(*pushes, QList<int>({ 0 }));
    EXPECT_EQ(shown(*b), offFrame(strip, 20));
}

TEST_F(ButtonTest, StoredProperties)
{
    miniButton* b = button<miniButton>({ { "Value", true } });
    EXPECT_TRUE(b->Value());
    EXPECT_EQ(shown(*b), onFrame(":/minibutton.bmp", 20));
    QPixmap icon(8, 8);
    icon.fill(Qt::red);
    b->setMouseIcon(icon);
    b->setMousePointer(99);
    platform::PropertyBag bag;
    b->UserControl_WriteProperties(bag);
    EXPECT_FALSE(bag.contains("Enabled"));
    EXPECT_FALSE(bag.contains("Picture"));
    EXPECT_TRUE(bag.ReadProperty("Value", false).toBool());
    EXPECT_EQ(bag.ReadProperty("MousePointer", 0).toInt(), 99);

    miniButton* copy = button<miniButton>(bag);
    EXPECT_TRUE(copy->Value());
    EXPECT_EQ(copy->MousePointer(), 99);
    EXPECT_EQ(copy->MouseIcon().cacheKey(), icon.cacheKey());
    copy->setValue(false);
    platform::PropertyBag plain;
    button<miniButton>()->UserControl_WriteProperties(plain);
    EXPECT_FALSE(plain.contains("Value"));
    EXPECT_FALSE(plain.contains("MouseIcon"));
}

TEST_F(ButtonTest, MousePointerShowsOverTheControl)
{
    syncButton* b = button<syncButton>({ { "MousePointer", 11 } });
    EXPECT_EQ(b->cursor().shape(), Qt::WaitCursor);
    b->setMousePointer(99); // no icon yet: the default pointer
    EXPECT_FALSE(b->testAttribute(Qt::WA_SetCursor));
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    b->setMouseIcon(icon);
    EXPECT_EQ(b->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(b->cursor().pixmap().toImage(), icon.toImage());
    b->setMousePointer(6);
    EXPECT_EQ(b->cursor().shape(), Qt::SizeBDiagCursor);
    b->setMousePointer(0);
    EXPECT_FALSE(b->testAttribute(Qt::WA_SetCursor));
}

} // namespace
