#include "platform/gui/toolkit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

namespace {

MessageBoxHandler& handlerSlot()
{
    static MessageBoxHandler handler;
    return handler;
}

struct ButtonCode
{
    QMessageBox::StandardButton button;
    int result;
};

// Button sets by the low four bits of the style, in the order they are shown.
std::vector<ButtonCode> buttonsFor(int style)
{
    const ButtonCode ok { QMessageBox::Ok, IdOk };
    const ButtonCode cancel { QMessageBox::Cancel, IdCancel };
    const ButtonCode abort { QMessageBox::Abort, IdAbort };
    const ButtonCode retry { QMessageBox::Retry, IdRetry };
    const ButtonCode ignore { QMessageBox::Ignore, IdIgnore };
    const ButtonCode yes { QMessageBox::Yes, IdYes };
    const ButtonCode no { QMessageBox::No, IdNo };
    switch (style & 0xF) {
    case 1:
        return { ok, cancel };
    case 2:
        return { abort, retry, ignore };
    case 3:
        return { yes, no, cancel };
    case 4:
        return { yes, no };
    case 5:
        return { retry, cancel };
    default:
        return { ok };
    }
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0x70) {
    case 16:
        return QMessageBox::Critical;
    case 32:
        return QMessageBox::Question;
    case 48:
        return QMessageBox::Warning;
    case 64:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// Keeps Esc and the close box from answering a box that has no Cancel button: only its buttons answer it.
class AnswerOnlyByButtons : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

bool hasCancel(const std::vector<ButtonCode>& buttons)
{
    return std::any_of(buttons.begin(), buttons.end(), [](const ButtonCode& b) { return b.result == IdCancel; });
}

int showMessageBox(const QString& text, int style, const QString& title)
{
    QMessageBox box(iconFor(style), title, text, QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    const auto buttons = buttonsFor(style);
    for (const auto& b : buttons) {
        box.addButton(b.button);
    }
    const std::size_t defaultIndex = std::size_t((style >> 8) & 3);
    if (defaultIndex < buttons.size()) {
        box.setDefaultButton(buttons[defaultIndex].button);
    }
    AnswerOnlyByButtons onlyButtons;
    if (buttons.size() > 1 && !hasCancel(buttons)) {
        box.installEventFilter(&onlyButtons);
    }
    box.exec();
    QAbstractButton* pressed = box.clickedButton();
    if (!pressed) {
        pressed = box.escapeButton();
    }
    for (const auto& b : buttons) {
        if (pressed && box.standardButton(pressed) == b.button) {
            return b.result;
        }
    }
    // Closed without an answer and without an escape button: the last button (Cancel or No where there
    // is one).
    return buttons.back().result;
}

QRect outerRect(const QWidget* w)
{
    return w->isWindow() ? w->frameGeometry() : w->geometry();
}

// The frame's extra width and height around the client area of a top-level window.
QSize frameExtra(const QWidget* w)
{
    if (!w->isWindow()) {
        return { 0, 0 };
    }
    const QRect outer = w->frameGeometry();
    const QRect inner = w->geometry();
    return { outer.width() - inner.width(), outer.height() - inner.height() };
}

QScreen* primaryScreen()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
}

} // namespace

void doEvents()
{
    if (QCoreApplication::instance()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

int messageBox(const QString& text, int style, const QString& title)
{
    if (const auto& handler = handlerSlot()) {
        return handler(text, style, title);
    }
    return showMessageBox(text, style, title);
}

void setMessageBoxHandler(MessageBoxHandler handler)
{
    handlerSlot() = std::move(handler);
}

int twipsToPixels(int twips)
{
    return int(std::nearbyint(double(twips) / kTwipsPerPixel));
}

int pointsToPixels(double points)
{
    return int(points * 96.0 / 72.0 + 0.5);
}

int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

int screenWidthTwips()
{
    const QScreen* screen = primaryScreen();
    return screen ? pixelsToTwips(screen->geometry().width()) : 0;
}

int screenHeightTwips()
{
    const QScreen* screen = primaryScreen();
    return screen ? pixelsToTwips(screen->geometry().height()) : 0;
}

int windowTop(const QWidget* w)
{
    return w ? pixelsToTwips(outerRect(w).y()) : 0;
}

int windowLeft(const QWidget* w)
{
    return w ? pixelsToTwips(outerRect(w).x()) : 0;
}

int windowWidth(const QWidget* w)
{
    return w ? pixelsToTwips(outerRect(w).width()) : 0;
}

int windowHeight(const QWidget* w)
{
    return w ? pixelsToTwips(outerRect(w).height()) : 0;
}

// QWidget::move places a top-level window's frame and a child's geometry, as wanted here.
void setWindowTop(QWidget* w, int twips)
{
    if (w) {
        w->move(outerRect(w).x(), twipsToPixels(twips));
    }
}

void setWindowLeft(QWidget* w, int twips)
{
    if (w) {
        w->move(twipsToPixels(twips), outerRect(w).y());
    }
}

void setWindowWidth(QWidget* w, int twips)
{
    if (w) {
        w->resize(std::max(0, twipsToPixels(twips) - frameExtra(w).width()), w->height());
    }
}

void setWindowHeight(QWidget* w, int twips)
{
    if (w) {
        w->resize(w->width(), std::max(0, twipsToPixels(twips) - frameExtra(w).height()));
    }
}

void setWindowTopMost(QWidget* w)
{
    if (!w || !w->isWindow() || w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        return;
    }
    // Changing the flags hides the window and may forget its place: keep both.
    const bool visible = w->isVisible();
    const QPoint pos = w->pos();
    const QSize size = w->size();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    w->resize(size);
    w->move(pos);
    if (visible) {
        w->show();
    }
}

namespace {

// Eats the presses and releases of buttons other than the left one over the menu it watches.
class LeftButtonOnly : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease
            && type != QEvent::MouseButtonDblClick) {
            return false;
        }
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* menu = qobject_cast<QMenu*>(watched);
        const bool over = menu && menu->rect().contains(mouse->position().toPoint());
        return mouse->button() != Qt::LeftButton && (over || type == QEvent::MouseButtonRelease);
    }
};

} // namespace

void chooseWithLeftButtonOnly(QMenu* menu)
{
    menu->installEventFilter(new LeftButtonOnly(menu));
}

} // namespace platform
