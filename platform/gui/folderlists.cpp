#include "platform/gui/folderlists.h"

#include "platform/core/drives.h"
#include "platform/core/filesys.h"
#include "platform/gui/filenames.h"

#include <QDir>
#include <QStyledItemDelegate>
#include <QStyle>
#include <unistd.h>

namespace platform {

namespace {

bool hidden(const std::string& name)
{
    return !name.empty() && name.front() == '.';
}

// Shows the entries that have no icon of their own, the subfolders, with a closed folder: one icon for them
// all instead of one set on each entry, which would take longer than listing the folder.
class ClosedFolders : public QStyledItemDelegate
{
public:
    ClosedFolders(const QIcon& closed, QObject* parent) : QStyledItemDelegate(parent), m_closed(closed) { }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->features & QStyleOptionViewItem::HasDecoration) {
            return;
        }
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->icon = m_closed;
        option->decorationSize = option->decorationSize.boundedTo(m_closed.actualSize(option->decorationSize));
    }

private:
    QIcon m_closed;
};

QString currentFolderText()
{
    std::vector<char> buffer(4096);
    return ::getcwd(buffer.data(), buffer.size()) ? textFromFileName(buffer.data()) : QStringLiteral("/");
}

} // namespace

QString listableFolder(const QString& path)
{
    if (path.isEmpty()) {
        return QString();
    }
    QString absolute = path.startsWith(QLatin1Char('/')) ? path : currentFolderText() + QLatin1Char('/') + path;
    absolute = QDir::cleanPath(absolute);
    const auto resolved = fs::resolveCase(fileNameFromText(absolute));
    if (!resolved || !fs::isFolder(*resolved)) {
        return QString();
    }
    return QDir::cleanPath(textFromFileName(*resolved));
}

// ---- Drives ---------------------------------------------------------------------------------------------

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent), m_drives(fs::browsableDrives())
{
    for (const std::string& d : m_drives) {
        addItem(textFromFileName(d));
    }
    setDrive(currentFolderText());
    connect(this, &QComboBox::activated, this, &DriveListBox::pick);
}

bool DriveListBox::setDrive(const QString& path)
{
    const QString folder = listableFolder(path);
    const std::string drive = fs::driveOf(fileNameFromText(folder), m_drives);
    if (folder.isEmpty() || drive.empty() || !fs::isFolder(drive)) {
        return false;
    }
    const QString text = textFromFileName(drive);
    setCurrentIndex(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (text != m_drive) {
        m_drive = text;
        emit Change();
    }
    return true;
}

void DriveListBox::pick(int index)
{
    // A drive that cannot be read is not taken: the list shows the drive it had.
    if (!setDrive(itemText(index))) {
        setCurrentIndex(findText(m_drive, Qt::MatchExactly | Qt::MatchCaseSensitive));
    }
}

QString DriveListBox::currentFolder() const
{
    const std::string cwd = fileNameFromText(currentFolderText());
    return fs::driveOf(cwd, m_drives) == fileNameFromText(m_drive) ? textFromFileName(cwd) : m_drive;
}

// ---- Folders --------------------------------------------------------------------------------------------

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setItemDelegate(new ClosedFolders(style()->standardIcon(QStyle::SP_DirClosedIcon), this));
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setPath(pathOf(row(item))); });
}

bool DirListBox::setPath(const QString& path)
{
    const QString folder = listableFolder(path);
    if (folder.isEmpty()) {
        return false;
    }
    if (folder == m_path) {
        return true;
    }
    m_path = folder;
    Refresh();
    emit Change();
    return true;
}

QString DirListBox::List(int i) const
{
    return i >= 0 && i < m_subfolders ? pathOf(m_firstSubfolder + i) : QString();
}

QString DirListBox::pathOf(int row) const
{
    if (row < 0 || row >= count()) {
        return QString();
    }
    const QStringList parts = m_path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (row < m_firstSubfolder) {
        return QLatin1Char('/') + parts.mid(0, row).join(QLatin1Char('/'));
    }
    const QString prefix = m_path == QLatin1String("/") ? m_path : m_path + QLatin1Char('/');
    return prefix + item(row)->text().mid(indent(int(parts.size()) + 1).size());
}

QString DirListBox::indent(int level)
{
    return QString(level * 2, QLatin1Char(' '));
}

void DirListBox::Refresh()
{
    clear();
    m_firstSubfolder = m_subfolders = 0;
    if (m_path.isEmpty()) {
        return;
    }
    // The folder and its ancestors, from the root.
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    new QListWidgetItem(open, QStringLiteral("/"), this);
    const QStringList parts = m_path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int level = 0; level < parts.size(); ++level) {
        new QListWidgetItem(open, indent(level + 1) + parts[level], this);
    }
    setCurrentRow(count() - 1);
    m_firstSubfolder = count();
    // Its subfolders in one insertion: one update of the list, not one per entry.
    const QString inner = indent(int(parts.size()) + 1);
    QStringList entries;
    for (const std::string& name : fs::listSubfolders(fileNameFromText(m_path))) {
        if (!hidden(name)) {
            entries << inner + textFromFileName(name);
        }
    }
    addItems(entries);
    m_subfolders = int(entries.size());
}

// ---- Files ----------------------------------------------------------------------------------------------

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

bool FileListBox::setPath(const QString& path)
{
    const QString folder = listableFolder(path);
    if (folder.isEmpty()) {
        return false;
    }
    if (folder != m_path) {
        m_path = folder;
        Refresh();
    }
    return true;
}

void FileListBox::setPattern(const QString& pattern)
{
    m_pattern = pattern;
    Refresh();
}

QString FileListBox::List(int i) const
{
    const QListWidgetItem* it = item(i);
    return it ? it->text() : QString();
}

void FileListBox::Refresh()
{
    clear();
    if (m_path.isEmpty()) {
        return;
    }
    QStringList names;
    for (const std::string& name : fs::listFiles(fileNameFromText(m_path), fileNameFromText(m_pattern))) {
        if (!hidden(name)) {
            names << textFromFileName(name);
        }
    }
    addItems(names);
}

} // namespace platform
