#include "platform/gui/listbox.h"

#include <QMouseEvent>

namespace platform {

namespace {
constexpr float kTwipsPerPixel = 15.0f;

int16_t buttonCode(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int16_t shiftCode(Qt::KeyboardModifiers m)
{
    int16_t s = 0;
    if (m & Qt::ShiftModifier) {
        s |= 1;
    }
    if (m & Qt::ControlModifier) {
        s |= 2;
    }
    if (m & Qt::AltModifier) {
        s |= 4;
    }
    return s;
}
} // namespace

ListBox::ListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setUniformItemSizes(true);
    // Keyboard moves change the current row, which selects it: that is a selection by the user.
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_quiet && row >= 0 && item(row)->isSelected()) {
            emit Click();
        }
    });
}

void ListBox::Clear()
{
    m_quiet = true;
    clear();
    m_quiet = false;
}

void ListBox::AddItem(const QString& item)
{
    m_quiet = true;
    addItem(item);
    m_quiet = false;
}

int ListBox::ListCount() const
{
    return count();
}

QString ListBox::List(int i) const
{
    const QListWidgetItem* it = item(i);
    return it ? it->text() : QString();
}

int ListBox::ListIndex() const
{
    const QList<QListWidgetItem*> sel = selectedItems();
    return sel.isEmpty() ? -1 : row(sel.first());
}

QString ListBox::Text() const
{
    const QList<QListWidgetItem*> sel = selectedItems();
    return sel.isEmpty() ? QString() : sel.first()->text();
}

bool ListBox::setSelected(int i)
{
    if (i < 0 || i >= count()) {
        return false;
    }
    selectRow(i);
    emit Click();
    return true;
}

void ListBox::selectRow(int row)
{
    m_quiet = true;
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    m_quiet = false;
}

void ListBox::mousePressEvent(QMouseEvent* event)
{
    const int16_t button = buttonCode(event->button());
    if (button == 1 || button == 4) {
        const QPoint pos = event->position().toPoint();
        if (QListWidgetItem* it = itemAt(pos)) {
            setFocus(Qt::MouseFocusReason);
            selectRow(row(it));
            emit Click();
        }
    }
    event->accept();
    emit MouseDown(button, shiftCode(event->modifiers()), float(event->position().x()) * kTwipsPerPixel,
                   float(event->position().y()) * kTwipsPerPixel);
}

// A press selects; dragging, releasing and the second press of a double click do nothing more.
void ListBox::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void ListBox::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

} // namespace platform
