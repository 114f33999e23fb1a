#include "platform/gui/listbox.h"

#include "platform/gui/surfacebox.h"
#include "platform/gui/toolkit.h"

#include <QAbstractListModel>
#include <QMouseEvent>

namespace platform {

// The texts of a list box, one column, read only.
class ListBoxEntries : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rows.size() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
            return {};
        }
        return rows[index.row()];
    }
    void append(const QStringList& items)
    {
        if (items.isEmpty()) {
            return;
        }
        beginInsertRows(QModelIndex(), int(rows.size()), int(rows.size() + items.size() - 1));
        rows += items;
        endInsertRows();
    }
    void clear()
    {
        beginResetModel();
        rows.clear();
        endResetModel();
    }

    QStringList rows;
};

ListBox::ListBox(QWidget* parent) : QListView(parent), m_entries(new ListBoxEntries(this))
{
    setModel(m_entries);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    // Keyboard moves change the current row, which selects it: that is a selection by the user.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (!m_quiet && current.isValid() && selectionModel()->isSelected(current)) {
            emit Click();
        }
    });
}

void ListBox::Clear()
{
    m_quiet = true;
    m_entries->clear();
    m_quiet = false;
}

void ListBox::AddItem(const QString& item)
{
    AddItems({ item });
}

void ListBox::AddItems(const QStringList& items)
{
    m_quiet = true;
    m_entries->append(items);
    m_quiet = false;
}

int ListBox::ListCount() const
{
    return int(m_entries->rows.size());
}

QString ListBox::List(int i) const
{
    return m_entries->rows.value(i);
}

int ListBox::ListIndex() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QString ListBox::Text() const
{
    return List(ListIndex());
}

bool ListBox::setSelected(int i)
{
    if (i < 0 || i >= ListCount()) {
        return false;
    }
    selectRow(i);
    emit Click();
    return true;
}

void ListBox::selectRow(int row)
{
    m_quiet = true;
    selectionModel()->setCurrentIndex(m_entries->index(row), QItemSelectionModel::ClearAndSelect);
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
        if (const QModelIndex at = indexAt(pos); at.isValid()) {
            setFocus(Qt::MouseFocusReason);
            const bool changed = at.row() != ListIndex();
            selectRow(at.row());
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
