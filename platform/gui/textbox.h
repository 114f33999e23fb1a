// A text box as the program expects one. Every typed character reaches KeyPress as its code before it is
// inserted: Backspace 8, Enter 13, Esc 27, Ctrl+letter its control code (Ctrl+C 3, Ctrl+V 22), any other
// character its own code, or 32767 when that does not fit 16 bits. A handler that sets the code to 0 drops
// the key; one that leaves it types the key as usual; one that changes it types the new character instead.
// Keys that type nothing (arrows, Delete, Tab) and pasted text do not pass the handler.
#pragma once

#include <QLineEdit>
#include <cstdint>

namespace platform {

class TextBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);

    QString Text() const { return text(); }
    // Start of the selection, or the caret's place when nothing is selected. Setting it moves the caret
    // there and selects nothing.
    int SelStart() const;
    void setSelStart(int start);
    // Length of the selection; setting it selects that many characters from SelStart.
    int SelLength() const;
    void setSelLength(int length);
    // Activates the box's window and puts the focus in the box.
    void SetFocus();

signals:
    void KeyPress(int16_t& KeyAscii);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};

} // namespace platform
