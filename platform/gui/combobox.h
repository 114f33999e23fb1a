// A drop-down combo box with an editable text field, as the program expects one: entries kept in the order
// added, a text field that adding entries leaves alone, Click when the user picks an entry, and the text
// field's typed keys through KeyPress (see TextBox).
#pragma once

#include <QComboBox>
#include <cstdint>

namespace platform {

class TextBox;

class ComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr);

    // Empties the list and the text field.
    void Clear();
    void AddItem(const QString& item);
    int ListCount() const;
    // Entry i; empty for an index outside the list.
    QString List(int i) const;
    QString Text() const;
    void setText(const QString& text);
    // A locked text field changes only when an entry is picked: no key edits it (Delete included, which
    // does not pass KeyPress), nor a paste or a drop.
    void setLocked(bool locked);
    TextBox* textField() const { return m_edit; }

signals:
    // The user picked an entry; Text is that entry.
    void Click();
    void KeyPress(int16_t& KeyAscii);

private:
    TextBox* m_edit;
};

} // namespace platform
