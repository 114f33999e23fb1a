// Toolkit glue: twips, window geometry, topmost windows and message boxes.
#include "platform/gui/toolkit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Answers the next modal box that opens, once the event loop runs it.
void answerNextBox(std::function<void(QMessageBox*)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        answer(box);
    });
}

QStringList buttonTexts(QMessageBox* box)
{
    QStringList texts;
    for (auto* b : box->buttons()) {
        texts << box->button(box->standardButton(b))->text().remove('&');
    }
    return texts;
}

} // namespace

TEST(Twips, FifteenToAPixelRoundedToTheNearest)
{
    EXPECT_EQ(platform::pixelsToTwips(100), 1500);
    EXPECT_EQ(platform::twipsToPixels(1500), 100);
    EXPECT_EQ(platform::twipsToPixels(22), 1);
    EXPECT_EQ(platform::twipsToPixels(23), 2);
    EXPECT_EQ(platform::twipsToPixels(-23), -2);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(platform::screenWidthTwips(), screen.width() * 15);
    EXPECT_EQ(platform::screenHeightTwips(), screen.height() * 15);
}

TEST(Twips, FontPointsBecomeTheNearestPixelHalvesUp)
{
    for (const auto& [points, pixels] : { std::pair { 8.0, 11 }, { 8.25, 11 }, { 10.0, 13 }, { 7.875, 11 }, { 18.0, 24 } }) {
        EXPECT_EQ(platform::pointsToPixels(points), pixels) << points;
    }
}

TEST(Twips, WindowGeometryReadsAndWritesTheOuterFrame)
{
    // The frame is known once the window is shown.
    QWidget window;
    window.show();
    QCoreApplication::processEvents();
    platform::setWindowLeft(&window, 1500);
    platform::setWindowTop(&window, 3000);
    platform::setWindowWidth(&window, 6000);
    platform::setWindowHeight(&window, 4500);
    QCoreApplication::processEvents();
    EXPECT_EQ(platform::windowLeft(&window), 1500);
    EXPECT_EQ(platform::windowTop(&window), 3000);
    EXPECT_EQ(platform::windowWidth(&window), 6000);
    EXPECT_EQ(platform::windowHeight(&window), 4500);
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(100, 200));

    // A child lives in its parent's coordinates.
    QWidget child(&window);
    platform::setWindowTop(&child, 150);
    platform::setWindowLeft(&child, 300);
    platform::setWindowWidth(&child, 750);
    EXPECT_EQ(child.geometry().topLeft(), QPoint(20, 10));
    EXPECT_EQ(child.width(), 50);
    EXPECT_EQ(platform::windowTop(nullptr), 0);
}

TEST(Toolkit, TopMostKeepsPlaceSizeAndVisibility)
{
    QWidget window;
    window.setGeometry(120, 80, 300, 200);
    window.show();
    QCoreApplication::processEvents();
    const QRect before = window.geometry();
    platform::setWindowTopMost(&window);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), before);

    QWidget hidden;
    platform::setWindowTopMost(&hidden);
    EXPECT_TRUE(hidden.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(hidden.isVisible());
}

TEST(MessageBoxes, HandlerAnswersInsteadOfTheScreen)
{
    QString seenText;
    QString seenTitle;
    int seenStyle = -1;
    platform::setMessageBoxHandler([&](const QString& text, int style, const QString& title) {
        seenText = text;
        seenStyle = style;
        seenTitle = title;
        return platform::IdNo;
    });
    EXPECT_EQ(platform::messageBox("Delete?", 36, "Title"), platform::IdNo);
    platform::setMessageBoxHandler({});
    EXPECT_EQ(seenText, "Delete?");
    EXPECT_EQ(seenStyle, 36);
    EXPECT_EQ(seenTitle, "Title");
}

TEST(MessageBoxes, StyleCodeChoosesButtonsIconAndDefault)
{
    // Yes/No with a question mark and No as default: Enter answers No.
    answerNextBox([](QMessageBox* box) {
        EXPECT_EQ(buttonTexts(box), (QStringList { "Yes", "No" }));
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->windowTitle(), "Corvadel");
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        box->defaultButton()->click();
    });
    EXPECT_EQ(platform::messageBox("<b>x</b>", 4 + 32 + 256, "Corvadel"), platform::IdNo);

    answerNextBox([](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->buttons().size(), 1);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(platform::messageBox("Saved", 64, "T"), platform::IdOk);

    // Neither Esc nor the close box answers a Yes/No box: only its buttons do.
    answerNextBox([](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        QTest::keyClick(box, Qt::Key_Escape);
        EXPECT_FALSE(box->close());
        EXPECT_TRUE(box->isVisible());
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(platform::messageBox("?", 4 + 48, "T"), platform::IdYes);

    // Where there is a Cancel button, Esc answers Cancel.
    answerNextBox([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(platform::messageBox("?", 1 + 48, "T"), platform::IdCancel);

    answerNextBox([](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(buttonTexts(box).size(), 3);
        box->button(QMessageBox::Retry)->click();
    });
    EXPECT_EQ(platform::messageBox("?", 2 + 16, "T"), platform::IdRetry);
}
