// The drive, folder and file lists of a folder chooser. Paths are the program's text of on-disk names
// (see filenames.h); folders are given without a trailing "/" (the root is "/"). Names that start with "."
// are hidden and not listed.
#pragma once

#include <QComboBox>
#include <QListWidget>

#include <string>
#include <vector>

namespace platform {

// The mounted file systems a user can browse (see drives.h), one of them chosen.
class DriveListBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    QString Drive() const { return m_drive; }
    // Chooses the drive that holds a path. A drive that cannot be listed changes nothing: false.
    bool setDrive(const QString& path);
    // The folder a drive change leads to: the process's current folder when it lies on the chosen drive,
    // else the drive's own folder.
    QString currentFolder() const;

signals:
    // The chosen drive changed, by the user or by setDrive.
    void Change();

private:
    void pick(int index);
    std::vector<std::string> m_drives;
    QString m_drive;
};

// A folder, its ancestors from the root and its subfolders, indented like a tree. A double click (or
// Enter) on an entry opens that folder.
class DirListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    QString Path() const { return m_path; }
    // Shows a folder (relative paths start at the current folder). A folder that cannot be listed changes
    // nothing: false.
    bool setPath(const QString& path);
    // The subfolders: their count, and the full path of subfolder i ("" outside the list).
    int ListCount() const { return m_subfolders; }
    QString List(int i) const;
    // Reads the folder again.
    void Refresh();

signals:
    // The shown folder changed, by the user or by setPath.
    void Change();

private:
    // Full path of the folder an entry stands for; "" outside the list.
    QString pathOf(int row) const;
    // The spaces that indent an entry `level` folders deep.
    static QString indent(int level);

    int m_firstSubfolder = 0;
    int m_subfolders = 0;
    QString m_path;
};

// The files of a folder that match a pattern such as "*.wav" (in any case).
class FileListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString Path() const { return m_path; }
    // Lists a folder's files (the folder shown already is not read again). A folder that cannot be listed
    // changes nothing: false.
    bool setPath(const QString& path);
    QString Pattern() const { return m_pattern; }
    void setPattern(const QString& pattern);
    int ListCount() const { return count(); }
    // File name i without folder; "" outside the list.
    QString List(int i) const;
    void Refresh();

private:
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
};

// A path as an absolute folder path spelled as on disk, without trailing "/"; "" when it names no folder
// that can be listed.
QString listableFolder(const QString& path);

} // namespace platform
