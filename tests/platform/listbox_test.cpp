// The list box: when Click and MouseDown are raised, and what the selection is when they are.
#include "platform/gui/listbox.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Recorder
{
    int clicks = 0;
    struct Press
    {
        int16_t button;
        int indexSeen;
        QString textSeen;
    };
    std::vector<Press> presses;
};

class ListBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        list.resize(200, 300);
        for (const char* name : { "alpha", "beta", "gamma" }) {
            list.AddItem(name);
        }
        list.show();
        QObject::connect(&list, &platform::ListBox::Click, [this] { ++rec.clicks; });
        QObject::connect(&list, &platform::ListBox::MouseDown, [this](int16_t button, int16_t, float, float) {
            rec.presses.push_back({ button, list.ListIndex(), list.Text() });
        });
    }
    QPoint centreOf(int row) { return list.visualRect(list.model()->index(row, 0)).center(); }

    platform::ListBox list;
    Recorder rec;
};

TEST_F(ListBoxTest, FillingRaisesNothingAndSelectsNothing)
{
    EXPECT_EQ(rec.clicks, 0);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.Text(), "");
    EXPECT_EQ(list.ListCount(), 3);
    EXPECT_EQ(list.List(1), "beta");
    EXPECT_EQ(list.List(7), "");
}

TEST_F(ListBoxTest, SelectingFromCodeRaisesClickAndRefusesBadIndexes)
{
    EXPECT_TRUE(list.setSelected(2));
    EXPECT_EQ(rec.clicks, 1);
    EXPECT_EQ(list.Text(), "gamma");
    EXPECT_TRUE(list.setSelected(2)); // the same entry again still reports
    EXPECT_EQ(rec.clicks, 2);
    EXPECT_FALSE(list.setSelected(3));
    EXPECT_FALSE(list.setSelected(-1));
    EXPECT_EQ(rec.clicks, 2);
    EXPECT_EQ(list.ListIndex(), 2);
    list.Clear();
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.Text(), "");
    EXPECT_EQ(rec.clicks, 2);
}

TEST_F(ListBoxTest, LeftAndMiddlePressesSelectBeforeMouseDownRightPressesDoNot)
{
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, centreOf(1));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, centreOf(1));
    QTest::mousePress(list.viewport(), Qt::RightButton, {}, centreOf(2));
    QTest::mousePress(list.viewport(), Qt::MiddleButton, {}, centreOf(0));
    ASSERT_EQ(rec.presses.size(), 3u);
    EXPECT_EQ(rec.presses[0].button, 1);
    EXPECT_EQ(rec.presses[0].indexSeen, 1);
    EXPECT_EQ(rec.presses[0].textSeen, "beta");
    EXPECT_EQ(rec.presses[1].button, 2);
    EXPECT_EQ(rec.presses[1].indexSeen, 1); // the right press left the selection
    EXPECT_EQ(rec.presses[2].button, 4);
    EXPECT_EQ(rec.presses[2].indexSeen, 0);
    EXPECT_EQ(rec.clicks, 2);
}

TEST_F(ListBoxTest, PressOnTheSelectedEntryRaisesMouseDownButNoClick)
{
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, centreOf(1));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, centreOf(1));
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, centreOf(1));
    EXPECT_EQ(rec.clicks, 1);
    EXPECT_EQ(rec.presses.size(), 2u);
}

TEST_F(ListBoxTest, BackAndForwardButtonsNeitherPressNorSelect)
{
    for (Qt::MouseButton b : { Qt::BackButton, Qt::ForwardButton, Qt::ExtraButton4 }) {
        QTest::mousePress(list.viewport(), b, {}, centreOf(2));
        QTest::mouseRelease(list.viewport(), b, {}, centreOf(2));
    }
    EXPECT_TRUE(rec.presses.empty());
    EXPECT_EQ(rec.clicks, 0);
    EXPECT_EQ(list.ListIndex(), -1);
}

TEST_F(ListBoxTest, PressBelowTheEntriesKeepsTheSelection)
{
    list.setSelected(0);
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, QPoint(20, 280));
    ASSERT_EQ(rec.presses.size(), 1u);
    EXPECT_EQ(rec.presses[0].indexSeen, 0);
}

TEST_F(ListBoxTest, KeyboardMovesSelectAndRaiseClickButNoMouseDown)
{
    list.setFocus();
    list.setSelected(0);
    rec.clicks = 0;
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.Text(), "beta");
    EXPECT_EQ(rec.clicks, 1);
    EXPECT_TRUE(rec.presses.empty());
}

TEST_F(ListBoxTest, SecondPressOfADoubleClickIsNoPress)
{
    // The toolkit reports a double click as press, release, double click, release.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centreOf(2));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centreOf(2));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, centreOf(2));
    EXPECT_EQ(rec.presses.size(), 1u);
    EXPECT_EQ(list.Text(), "gamma");
}

} // namespace
