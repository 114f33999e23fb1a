#include "platform/gui/combobox.h"

#include "platform/gui/textbox.h"

namespace platform {

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent), m_edit(new TextBox)
{
    setEditable(true);
    setLineEdit(m_edit);
    // No completion and no entries made from typed text: the text field holds what was typed or picked.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    connect(m_edit, &TextBox::KeyPress, this, [this](int16_t& KeyAscii) { emit KeyPress(KeyAscii); });
    connect(this, &QComboBox::activated, this, [this] { emit Click(); });
}

void ComboBox::Clear()
{
    clear();
    clearEditText();
}

void ComboBox::AddItem(const QString& item)
{
    // The first entry of an empty list would otherwise become the text.
    const QString text = Text();
    const bool first = count() == 0;
    addItem(item);
    if (first) {
        setCurrentIndex(-1);
        setText(text);
    }
}

int ComboBox::ListCount() const
{
    return count();
}

QString ComboBox::List(int i) const
{
    return i >= 0 && i < count() ? itemText(i) : QString();
}

QString ComboBox::Text() const
{
    return m_edit->text();
}

void ComboBox::setText(const QString& text)
{
    setEditText(text);
}

void ComboBox::setLocked(bool locked)
{
    m_edit->setReadOnly(locked);
}

} // namespace platform
