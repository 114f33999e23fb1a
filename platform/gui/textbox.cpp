#include "platform/gui/textbox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <algorithm>
#include <optional>

namespace platform {

namespace {

constexpr char32_t kWidestCode = 32767;

int codeOf(char32_t c)
{
    return int(std::min(c, kWidestCode));
}

// The code a key press hands to KeyPress; nothing for a key that types nothing.
std::optional<int> keyCode(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return std::nullopt;
    default:
        break;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods.testFlag(Qt::ControlModifier) && !mods.testFlag(Qt::AltModifier) && event->key() >= Qt::Key_A
        && event->key() <= Qt::Key_Z) {
        return event->key() - Qt::Key_A + 1;
    }
    const QList<uint> chars = event->text().toUcs4();
    if (chars.isEmpty()) {
        return std::nullopt;
    }
    return codeOf(chars.first());
}

// What a character whose code a handler changed types instead: the new character, or nothing for 0 and
// for control codes.
QString replacement(int16_t code)
{
    return code >= 32 ? QString(QChar(char16_t(code))) : QString();
}

} // namespace

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) { }

int TextBox::SelStart() const
{
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

void TextBox::setSelStart(int start)
{
    setCursorPosition(std::clamp(start, 0, int(text().size())));
}

int TextBox::SelLength() const
{
    return selectionLength();
}

void TextBox::setSelLength(int length)
{
    const int start = SelStart();
    setSelection(start, std::clamp(length, 0, int(text().size()) - start));
}

void TextBox::SetFocus()
{
    if (QWidget* w = window(); w && w->isVisible()) {
        w->activateWindow();
    }
    setFocus(Qt::OtherFocusReason);
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    const std::optional<int> code = keyCode(event);
    if (!code) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    int16_t KeyAscii = int16_t(*code);
    emit KeyPress(KeyAscii);
    if (KeyAscii == *code) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    if (const QString typed = replacement(KeyAscii); !typed.isEmpty() && !isReadOnly()) {
        insert(typed);
    }
}

// Text that an input method commits is typed too: each character passes the handler.
void TextBox::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty()) {
        QString kept;
        for (const char32_t c : event->commitString().toUcs4()) {
            const int code = codeOf(c);
            int16_t KeyAscii = int16_t(code);
            emit KeyPress(KeyAscii);
            kept += KeyAscii == code ? QString::fromUcs4(&c, 1) : replacement(KeyAscii);
        }
        event->setCommitString(kept, event->replacementStart(), event->replacementLength());
    }
    QLineEdit::inputMethodEvent(event);
}

} // namespace platform
