// A list box as the program expects one: entries kept in the order added, one selection, a Click raised
// whenever the selection changes by mouse or keyboard and whenever code sets it, and a MouseDown that a left
// or middle press raises only after it has moved the selection to the entry under the pointer. Only the
// left, right and middle buttons raise MouseDown. The entries are plain texts in a list of their own, so
// that tens of thousands of them fill and clear at once.
#pragma once

#include <QListView>
#include <QStringList>
#include <cstdint>

namespace platform {

class ListBoxEntries;

class ListBox : public QListView
{
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    void Clear();
    void AddItem(const QString& item);
    // Appends many entries at once, as AddItem for each would.
    void AddItems(const QStringList& items);
    int ListCount() const;
    // Entry i; empty for an index outside the list.
    QString List(int i) const;
    // Index of the selected entry, -1 for none.
    int ListIndex() const;
    // The selected entry, "" when none.
    QString Text() const;
    // Selects entry i and raises Click; false (nothing changes) for an index outside the list.
    bool setSelected(int i);

signals:
    void Click();
    // Button 1 left, 2 right, 4 middle; Shift 1 shift, 2 control, 4 alt; X and Y in twips.
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void selectRow(int row);
    ListBoxEntries* m_entries;
    bool m_quiet = false; // true while the program itself changes the rows
};

} // namespace platform
