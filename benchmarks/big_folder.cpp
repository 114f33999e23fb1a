// Figures of a phrase folder of 100,000 WAV files: how long choosing it stalls the window, against listing
// that folder in the same process with readdir() alone (what `ls -U` does); and how long the player takes
// to start with it as the first folder, against starting with the demo folders.
// Usage: bench_big_folder. Prints its figures; checks nothing.
#include "app/appmodul.h"
#include "app/commands.h"
#include "benchmarks/benchsupport.h"
#include "mainwindow/form1.h"
#include "platform/gui/listbox.h"
#include "platform/gui/toolkit.h"
#include "sound/dx7sound.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <dirent.h>
#include <string>
#include <vector>

namespace {

constexpr int kBigCount = 100000;

std::vector<std::string> readdirOnly(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            names.emplace_back(e->d_name);
        }
        ::closedir(dir);
    }
    return names;
}

void makeEmptyFiles(const QString& folder, int count)
{
    QDir().mkpath(folder);
    const char* suffixes[4] = { "_1", "_2", "_3", "" };
    for (int i = 0; i < count; ++i) {
        QFile f(folder + QString("/Phrase%1%2.wav").arg(i, 6, 10, QChar('0')).arg(suffixes[i % 4]));
        f.open(QIODevice::WriteOnly);
    }
}

// The demo's layout: two folders holding three sets.
void makeDemoFolders(const QString& program)
{
    for (const char* set : { "Groove/Beat", "Groove/Halftime", "Tide/Tide" }) {
        QDir(program).mkpath(QString(set).section('/', 0, 0));
        for (int k = 1; k <= 3; ++k) {
            QFile f(program + "/" + set + QString("_%1.wav").arg(k));
            f.open(QIODevice::WriteOnly);
        }
    }
}

// The player's start in a fresh process, until its window is shown and painted.
int startInChild(QApplication& app, const QString& program, const QString& temp)
{
    Form1::registerAsMainForm([] {});
    AppModul::Main(program, temp);
    app.processEvents();
    DX7Sound::Shutdown();
    return 0;
}

// Median wall time of a whole start of the player in a child process.
double startMs(const QString& self, const QString& program, const QString& temp)
{
    return bench::medianMs(7, [&] {
        QProcess child;
        child.start(self, { "--start", program, temp });
        child.waitForFinished(-1);
    });
}

} // namespace

int main(int argc, char** argv)
{
    bench::headlessDefaults();
    QApplication app(argc, argv);
    if (argc == 4 && QString(argv[1]) == "--start") {
        return startInChild(app, argv[2], argv[3]);
    }

    QTemporaryDir bigProgram;
    QTemporaryDir demoProgram;
    QTemporaryDir temp;
    makeEmptyFiles(bigProgram.path() + "/Big", kBigCount);
    QDir(bigProgram.path()).mkpath("Small");
    makeDemoFolders(demoProgram.path());

    // Choosing the folder from the folder list, as a press on it does.
    Form1::registerAsMainForm([] {});
    AppModul::Main(bigProgram.path(), temp.path());
    auto* form = dynamic_cast<Form1*>(AppModul::mainForm());
    const std::string big = (bigProgram.path() + "/Big").toStdString();
    const double listing = bench::medianMs(15, [&] { (void)readdirOnly(big); });
    const double choose = bench::medianMs(15, [&] {
        form->List1->setSelected(0); // Big
        platform::doEvents();
    });
    std::printf("Choosing a folder of 100,000 WAV files: the window stalls %.1f ms; readdir() of the folder "
                "alone %.1f ms (%.2fx; goal: at most 2x)\n",
                choose, listing, choose / listing);
    std::printf("  the lists hold %d, %d and %d entries\n", form->lstPhrase[0]->ListCount(),
                form->lstPhrase[1]->ListCount(), form->lstPhrase[2]->ListCount());
    AppModul::discardMainForm();

    const QString self = QCoreApplication::applicationFilePath();
    const double demoStart = startMs(self, demoProgram.path(), temp.path());
    const double bigStart = startMs(self, bigProgram.path(), temp.path());
    std::printf("Start-up with the 100,000-file folder first: %.1f ms; with the demo folders: %.1f ms "
                "(%.2fx; figure only)\n",
                bigStart, demoStart, bigStart / demoStart);
    return 0;
}
