#include "controls/animknob.h"
#include "tests/controls/controlsupport.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <map>

using namespace controlsupport;

namespace {

const QString kStrip = QStringLiteral(":/knob.bmp");

QImage knobFrame(int frame)
{
    return stripRows(kStrip, (frame - 1) * 50, 50);
}

class KnobTest : public MouseTest
{
protected:
    // A knob as a layout creates it.
    animKnob* knob(const platform::PropertyBag& stored = {})
    {
        animKnob* k = make<animKnob>();
        k->UserControl_ReadProperties(stored);
        return k;
    }
    // Drags a knob of min..max from one end to the other and returns the value stored for each frame.
    std::map<int, int> valuesByFrame(int16_t min, int16_t max)
    {
        animKnob* k = knob({ { "Min", min }, { "Max", max }, { "Value", min } });
        std::map<int, int> values;
        QObject::connect(k, &animKnob::Scroll, k, [&](int16_t& v) { values[k->frame()] = v; });
        press(mouseBox(*k), Qt::LeftButton);
        for (int y = -1; y >= -80; --y) { // upward: frames 2 to 78
            QTest::mouseMove(mouseBox(*k), QPoint(10, y));
        }
        for (int y = 1; y <= 80; ++y) { // downward: frames 77 to 1
            QTest::mouseMove(mouseBox(*k), QPoint(10, y));
        }
        return values;
    }
};

TEST_F(KnobTest, DrawsTheFrameOfItsValue)
{
    struct Case
    {
        int16_t min, max, value;
        int frame;
    };
    const Case cases[] = {
        { 0, 100, 0, 1 },   { 0, 100, 1, 1 },    { 0, 100, 2, 1 },   { 0, 100, 50, 39 },  { 0, 100, 79, 61 },
        { 0, 100, 80, 62 }, { 0, 100, 100, 78 }, { 40, 100, 40, 1 }, { 40, 100, 80, 52 }, { 40, 100, 100, 78 },
        { 35, 65, 35, 1 },  { 35, 65, 50, 39 },  { 35, 65, 65, 78 },
    };
    for (const Case& c : cases) {
        animKnob* k = knob({ { "Min", c.min }, { "Max", c.max }, { "Value", c.value } });
        EXPECT_EQ(k->frame(), c.frame) << c.min << ".." << c.max << " value " << c.value;
        EXPECT_EQ(shown(*k), knobFrame(c.frame)) << c.min << ".." << c.max << " value " << c.value;
    }
}

TEST_F(KnobTest, DraggingStoresTheValueOfEachFrame)
{
    const std::map<int, int> full = valuesByFrame(0, 100);
    EXPECT_EQ(full.size(), 78u);
    EXPECT_EQ(full.at(1), 1); // never 0
    EXPECT_EQ(full.at(39), 50);
    EXPECT_EQ(full.at(62), 79); // while Value 79 draws frame 61
    EXPECT_EQ(full.at(78), 100);
    const std::map<int, int> level = valuesByFrame(40, 100);
    EXPECT_EQ(level.at(1), 40);
    EXPECT_EQ(level.at(52), 80);
    EXPECT_EQ(level.at(78), 100);
    const std::map<int, int> pan = valuesByFrame(35, 65);
    EXPECT_EQ(pan.at(1), 35);
    EXPECT_EQ(pan.at(39), 50);
    EXPECT_EQ(pan.at(40), 50);
    EXPECT_EQ(pan.at(78), 65);
}

TEST_F(KnobTest, ADragStepShowsItsFrameAndReportsAfterStoring)
{
    animKnob* k = knob(); // Value 80, frame 62
    QSignalSpy changed(k, &animKnob::PropertyChanged);
    int reported = -1;
    QImage seen;
    QObject::connect(k, &animKnob::Scroll, k, [&](int16_t& v) {
        reported = v;
        seen = shown(*k);
        EXPECT_EQ(k->Value(), v);
    });
    // The first step after creation compares with row 0: the pointer moves up, the knob turns down.
    press(mouseBox(*k), Qt::LeftButton, QPoint(10, 30));
    QTest::mouseMove(mouseBox(*k), QPoint(10, 3));
    EXPECT_EQ(k->frame(), 61);
    EXPECT_EQ(reported, 78);
    EXPECT_EQ(seen, knobFrame(61));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), "Value");
    // However far the pointer jumps, one move turns one frame.
    QTest::mouseMove(mouseBox(*k), QPoint(10, -200));
    EXPECT_EQ(k->frame(), 62);
    EXPECT_EQ(reported, 79);
}

TEST_F(KnobTest, TurnsOnlyWithTheLeftButtonAlone)
{
    animKnob* k = knob();
    const auto scrolls = record(k, &animKnob::Scroll);
    press(mouseBox(*k), Qt::RightButton);
    QTest::mouseMove(mouseBox(*k), QPoint(10, 20));
    press(mouseBox(*k), Qt::LeftButton); // left and right: state 3
    QTest::mouseMove(mouseBox(*k), QPoint(10, 30));
    EXPECT_EQ(scrolls->size(), 0);
    EXPECT_EQ(k->frame(), 62);
    release(mouseBox(*k), Qt::RightButton);
    QTest::mouseMove(mouseBox(*k), QPoint(10, 31)); // the row of the last left-alone step is still 0
    EXPECT_EQ(scrolls->size(), 1);
    EXPECT_EQ(k->frame(), 61);
}

TEST_F(KnobTest, StopsAtTheEndsButFollowsThePointer)
{
    animKnob* k = knob({ { "Value", 100 } });
    const auto scrolls = record(k, &animKnob::Scroll);
    press(mouseBox(*k), Qt::LeftButton);
    QTest::mouseMove(mouseBox(*k), QPoint(10, -5)); // up at frame 78
    EXPECT_EQ(k->frame(), 78);
    EXPECT_EQ(scrolls->size(), 0);
    QTest::mouseMove(mouseBox(*k), QPoint(10, -4)); // down from the new row
    EXPECT_EQ(k->frame(), 77);
    EXPECT_EQ(scrolls->size(), 1);

    k->setValue(0);
    QTest::mouseMove(mouseBox(*k), QPoint(10, 5)); // down at frame 1
    EXPECT_EQ(k->frame(), 1);
    EXPECT_EQ(scrolls->size(), 1);
}

TEST_F(KnobTest, RowsRoundHalvesToEven)
{
    animKnob* k = knob();
    const auto moveTo = [k](double y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(10, y), k->mapToGlobal(QPointF(10, y)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(mouseBox(*k), &move);
    };
    const auto scrolls = record(k, &animKnob::Scroll);
    moveTo(10.5); // the row becomes 10
    EXPECT_EQ(k->frame(), 61);
    moveTo(10); // same row: nothing
    EXPECT_EQ(scrolls->size(), 1);
    moveTo(11.5); // the row becomes 12
    moveTo(12);
    EXPECT_EQ(scrolls->size(), 2);
    EXPECT_EQ(k->frame(), 60);
}

TEST_F(KnobTest, ValuesOutsideTheRangeNeverReadOutsideTheStrip)
{
    animKnob* k = knob({ { "Value", 50 } });
    const QImage before = shown(*k);
    for (const int16_t value : { 120, 200, 1000, -10, -1000 }) {
        k->setValue(value);
        EXPECT_EQ(shown(*k), before) << value;
    }
    k->setValue(120);
    EXPECT_EQ(k->frame(), 93);
    const auto scrolls = record(k, &animKnob::Scroll);
    press(mouseBox(*k), Qt::LeftButton);
    QTest::mouseMove(mouseBox(*k), QPoint(10, 5)); // down, yet the knob goes to its top frame
    EXPECT_EQ(k->frame(), 78);
    EXPECT_EQ(scrolls->size(), 0);
    EXPECT_EQ(shown(*k), before);
    k->setValue(-10);
    QTest::mouseMove(mouseBox(*k), QPoint(10, 0)); // up, yet it goes to frame 1
    EXPECT_EQ(k->frame(), 1);
    EXPECT_EQ(scrolls->size(), 0);
}

TEST_F(KnobTest, ArithmeticThatFailsSkipsItsStep)
{
    animKnob* k = knob({ { "Value", 50 } });
    // Min equal to Max: drawing keeps the frame, a drag step gives Min.
    k->UserControl_ReadProperties({ { "Min", 20 }, { "Max", 20 }, { "Value", 50 } });
    EXPECT_EQ(k->frame(), 39);
    int reported = -1;
    QObject::connect(k, &animKnob::Scroll, k, [&](int16_t& v) { reported = v; });
    press(mouseBox(*k), Qt::LeftButton);
    QTest::mouseMove(mouseBox(*k), QPoint(10, -1));
    EXPECT_EQ(k->frame(), 40);
    EXPECT_EQ(reported, 20);

    // A range that leaves 16 bits keeps the previous one (31980), with which the value would leave 16 bits:
    // the step still reports, with the value the knob had.
    k->setMax(32000);
    k->UserControl_ReadProperties({ { "Min", 32000 }, { "Max", -32000 }, { "Value", 32000 } });
    EXPECT_EQ(k->frame(), 1);
    reported = -1;
    QTest::mouseMove(mouseBox(*k), QPoint(10, -2));
    EXPECT_EQ(k->frame(), 2);
    EXPECT_EQ(reported, 32000);
}

TEST_F(KnobTest, HandlersSeeTheKnobsOwnValue)
{
    animKnob* k = knob();
    QObject::connect(k, &animKnob::Scroll, k, [](int16_t& v) { v = 7; });
    press(mouseBox(*k), Qt::LeftButton);
    QTest::mouseMove(mouseBox(*k), QPoint(10, 5));
    EXPECT_EQ(k->Value(), 7);
    EXPECT_EQ(k->frame(), 61);
    EXPECT_EQ(shown(*k), knobFrame(61));
}

TEST_F(KnobTest, SettersRedrawWithoutScrollAndNotify)
{
    animKnob* k = knob();
    const auto scrolls = record(k, &animKnob::Scroll);
    QSignalSpy changed(k, &animKnob::PropertyChanged);
    k->setValue(100);
    EXPECT_EQ(shown(*k), knobFrame(78));
    k->setMin(40);
    k->setMax(40 + 78 * 2);
    EXPECT_EQ(k->frame(), 30);
    EXPECT_EQ(shown(*k), knobFrame(30));
    EXPECT_EQ(scrolls->size(), 0);
    QStringList names;
    for (const auto& args : changed) {
        names << args.at(0).toString();
    }
    EXPECT_EQ(names, QStringList({ "Value", "Min", "Max" }));
}

TEST_F(KnobTest, DoubleClickOnlyReports)
{
    animKnob* k = knob();
    QSignalSpy doubles(k, &animKnob::DblClick);
    const auto scrolls = record(k, &animKnob::Scroll);
    QTest::mousePress(mouseBox(*k), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseRelease(mouseBox(*k), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseDClick(mouseBox(*k), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseRelease(mouseBox(*k), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseDClick(mouseBox(*k), Qt::BackButton, Qt::NoModifier, QPoint(10, 10)); // no button of ours
    QTest::mouseRelease(mouseBox(*k), Qt::BackButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(doubles.count(), 1);
    EXPECT_EQ(scrolls->size(), 0);
    EXPECT_EQ(k->Value(), 80);
}

TEST_F(KnobTest, StoredProperties)
{
    animKnob* fresh = make<animKnob>();
    EXPECT_EQ(fresh->Value(), 0);
    EXPECT_EQ(fresh->frame(), 1);
    EXPECT_EQ(fresh->size(), QSize(50, 50));
    fresh->resize(120, 90);
    EXPECT_EQ(fresh->size(), QSize(50, 50));

    QSignalSpy changed(fresh, &animKnob::PropertyChanged);
    fresh->UserControl_ReadProperties({ { "Min", 35 }, { "Max", 65 } });
    EXPECT_EQ(fresh->Value(), 80);
    EXPECT_EQ(fresh->frame(), 117); // 80 lies far above 65
    EXPECT_EQ(changed.count(), 2); // Picture and MouseIcon only

    platform::PropertyBag bag;
    fresh->UserControl_WriteProperties(bag);
    EXPECT_FALSE(bag.contains("Enabled"));
    EXPECT_FALSE(bag.contains("Picture"));
    EXPECT_FALSE(bag.contains("MousePointer"));
    EXPECT_FALSE(bag.contains("Value"));
    EXPECT_EQ(bag.ReadProperty("Min", 0).toInt(), 35);
    EXPECT_EQ(bag.ReadProperty("Max", 100).toInt(), 65);

    // Unusable stored values count as missing.
    animKnob* odd = knob({ { "Min", "forty" }, { "Max", 70000 }, { "Value", 50.5 } });
    EXPECT_EQ(odd->Min(), 0);
    EXPECT_EQ(odd->Max(), 100);
    EXPECT_EQ(odd->Value(), 50);
}

TEST_F(KnobTest, ADisabledKnobKeepsItsPicture)
{
    animKnob* k = knob({ { "Enabled", false }, { "Value", 100 } });
    EXPECT_FALSE(k->Enabled());
    EXPECT_EQ(shown(*k), knobFrame(1));
    QSignalSpy changed(k, &animKnob::PropertyChanged);
    k->setEnabledProperty(true);
    EXPECT_EQ(shown(*k), knobFrame(1));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), "Enabled");
    k->setEnabledProperty(false);
    const auto scrolls = record(k, &animKnob::Scroll);
    press(mouseBox(*k), Qt::LeftButton);
    QTest::mouseMove(mouseBox(*k), QPoint(10, 30));
    EXPECT_EQ(scrolls->size(), 0);
    k->setMax(100);
    EXPECT_EQ(shown(*k), knobFrame(78));
}

} // namespace
