// Figures of the folder chooser: how long its folder list and file list take to show a folder of 10,000
// subfolders or 10,000 WAV files, against listing that folder alone, and the whole dialog opening on it.
// Usage: bench_dialogs_folderchooser. Prints its figures; checks nothing.
#include "app/appmodul.h"
#include "benchmarks/benchsupport.h"
#include "dialogs/frmdirselect.h"
#include "platform/core/filesys.h"
#include "platform/gui/folderlists.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root;
    QDir dir(root.path());
    dir.mkpath("Folders");
    dir.mkpath("Files");
    for (int i = 0; i < 10000; ++i) {
        dir.mkpath(QString("Folders/Take%1").arg(i, 5, 10, QChar('0')));
        QFile f(root.filePath(QString("Files/Take%1_%2.wav").arg(i, 5, 10, QChar('0')).arg(i % 3 + 1)));
        f.open(QIODevice::WriteOnly);
    }
    const QString folders = root.filePath("Folders");
    const QString files = root.filePath("Files");

    platform::DirListBox dirList;
    const double listFolders = bench::medianMs(9, [&] { (void)platform::fs::listSubfolders(folders.toStdString()); });
    const double fillFolders = bench::medianMs(9, [&] {
        dirList.setPath("/");
        dirList.setPath(folders);
    });
    std::printf("Folder of 10,000 subfolders: listing the folder %.1f ms; filling the folder list %.1f ms "
                "(%.2fx; goal: at most 2x)\n",
                listFolders, fillFolders, fillFolders / listFolders);

    platform::FileListBox fileList;
    fileList.setPattern("*.wav");
    const double listFiles = bench::medianMs(9, [&] { (void)platform::fs::listFiles(files.toStdString(), "*.wav"); });
    const double fillFiles = bench::medianMs(9, [&] {
        fileList.setPath("/");
        fileList.setPath(files);
    });
    std::printf("Folder of 10,000 WAV files: listing the folder %.1f ms; filling the file list %.1f ms "
                "(%.2fx; goal: at most 2x)\n",
                listFiles, fillFiles, fillFiles / listFiles);

    AppModul::DirSelectPath = files;
    const double open = bench::medianMs(5, [&] {
        frmDirSelect::instance->Show();
        frmDirSelect::instance->Command2_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    std::printf("The folder chooser opening on the 10,000 WAV files and closing: %.1f ms (its file list alone: "
                "%.1f ms)\n",
                open, fillFiles);
    return 0;
}
