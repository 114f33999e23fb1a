// Glue between the program and the window toolkit: letting pending events run, message boxes by style
// code, and window geometry in twips.
#pragma once

#include <QString>
#include <functional>

class QMenu;
class QWidget;

namespace platform {

// Lets every pending window event (input, paint) run before it returns.
void doEvents();

// Message box results.
enum MessageBoxResult { IdOk = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7 };

// Shows a modal message box and returns the button pressed. The style code adds up
//   buttons:        0 OK, 1 OK Cancel, 2 Abort Retry Ignore, 3 Yes No Cancel, 4 Yes No, 5 Retry Cancel;
//   icon:           16 critical, 32 question, 48 exclamation, 64 information;
//   default button: 0 first, 256 second, 512 third.
// The text is shown as plain text.
int messageBox(const QString& text, int style, const QString& title);

// Makes every message box go to handler instead of the screen (tests); an empty handler restores the real
// boxes.
using MessageBoxHandler = std::function<int(const QString& text, int style, const QString& title)>;
void setMessageBoxHandler(MessageBoxHandler handler);

// Twips: 15 to a pixel.
constexpr int kTwipsPerPixel = 15;
int twipsToPixels(int twips); // to the nearest pixel, halves to even
int pixelsToTwips(int pixels);

// A font size in points as pixels, at 96 pixels to the inch, halves up.
int pointsToPixels(double points);

// The primary screen's size in twips (0 without a screen).
int screenWidthTwips();
int screenHeightTwips();

// A window's position and size in twips. For a top-level window these are its outer frame on the
// screen; for a child, its place in the parent.
int windowTop(const QWidget* w);
int windowLeft(const QWidget* w);
int windowWidth(const QWidget* w);
int windowHeight(const QWidget* w);
void setWindowTop(QWidget* w, int twips);
void setWindowLeft(QWidget* w, int twips);
void setWindowWidth(QWidget* w, int twips);
void setWindowHeight(QWidget* w, int twips);

// Keeps a top-level window above all windows that are not topmost; position, size and visibility stay.
void setWindowTopMost(QWidget* w);

// Makes a popup menu's items react to the left button only: a press or release of another button over
// the menu chooses nothing (a press outside it still closes it).
void chooseWithLeftButtonOnly(QMenu* menu);

} // namespace platform
