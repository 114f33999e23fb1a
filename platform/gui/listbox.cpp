#include "platform/gui/listbox.h"

#include "platform/gui/surfacebox.h"
#include "platform/gui/toolkit.h"

#include <QMouseEvent>

namespace platform {

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

void ListBox::AddItems(const QStringList& items)
{
    m_quiet = true;
    addItems(items);
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
    event->accept();
    const int16_t button = mouseButtonCode(event->button());
    if (button == 0) {
        return; // a button the program does not know (back, forward)
    }
    if (button == 1 || button == 4) {
        const QPoint pos = event->position().toPoint();
        if (QListWidgetItem* it = itemAt(pos)) {
            setFocus(Qt::MouseFocusReason);
            const bool changed = row(it) != ListIndex();
            selectRow(row(it));
            if (changed) {
                emit Click();
            }
        }
    }
    emit MouseDown(button, mouseShiftCode(event->modifiers()), float(event->position().x() * kTwipsPerPixel),
                   float(event->position().y() * kTwipsPerPixel));
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
