#include "platform/gui/folderlists.h"

#include "platform/core/drives.h"
#include "platform/core/filesys.h"
#include "platform/gui/filenames.h"

#include <QDir>
#include <QStyle>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kPathRole = Qt::UserRole;

bool hidden(const std::string& name)
{
    return !name.empty() && name.front() == '.';
}

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
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setPath(item->data(kPathRole).toString()); });
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
    const QListWidgetItem* it = i >= 0 && i < m_subfolders ? item(m_firstSubfolder + i) : nullptr;
    return it ? it->data(kPathRole).toString() : QString();
}

void DirListBox::Refresh()
{
    clear();
    if (m_path.isEmpty()) {
        return;
    }
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto add = [this](const QIcon& icon, int level, const QString& name, const QString& full) {
        auto* it = new QListWidgetItem(icon, QString(level * 2, QLatin1Char(' ')) + name);
        it->setData(kPathRole, full);
        addItem(it);
    };
    // The folder and its ancestors, from the root.
    add(open, 0, QStringLiteral("/"), QStringLiteral("/"));
    const QStringList parts = m_path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString full;
    for (int level = 0; level < parts.size(); ++level) {
        full += QLatin1Char('/') + parts[level];
        add(open, level + 1, parts[level], full);
    }
    setCurrentRow(count() - 1);
    m_firstSubfolder = count();
    const QString prefix = m_path == QLatin1String("/") ? m_path : m_path + QLatin1Char('/');
    setUpdatesEnabled(false);
    for (const std::string& name : fs::listSubfolders(fileNameFromText(m_path))) {
        if (!hidden(name)) {
            const QString text = textFromFileName(name);
            add(closed, int(parts.size()) + 1, text, prefix + text);
        }
    }
    setUpdatesEnabled(true);
    m_subfolders = count() - m_firstSubfolder;
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
