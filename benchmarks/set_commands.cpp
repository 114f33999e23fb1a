// Figures of the set commands: Delete Phrase Set, Rename Phrase Set and Move Phrase Set of a three-file set
// with its settings file, through the real handlers (each refills the lists and lets events run), beside
// the same unlinks and renames made with plain system calls. Usage: bench_set_commands. Prints its figures;
// checks nothing.
#include "app/appmodul.h"
#include "benchmarks/benchsupport.h"
#include "dialogs/frmmoveset.h"
#include "dialogs/frmrenset.h"
#include "mainwindow/form1.h"
#include "platform/gui/combobox.h"
#include "platform/gui/listbox.h"
#include "platform/gui/textbox.h"
#include "platform/gui/toolkit.h"
#include "sound/dx7sound.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 200;

void touch(const fs::path& path)
{
    std::ofstream(path) << "RIFF";
}

// The set "<base>" (three layers and a settings file) in a folder.
void writeSet(const fs::path& folder, const std::string& base)
{
    for (int k = 1; k <= 3; ++k) {
        touch(folder / (base + "_" + std::to_string(k) + ".wav"));
    }
    std::ofstream(folder / (base + ".ini")) << "[Vellmarin Corvadel]\r\nLevel1=90\r\n";
}

std::vector<std::string> setNames(const std::string& base)
{
    return { base + "_1.wav", base + "_2.wav", base + "_3.wav", base + ".ini" };
}

// The same steps with plain system calls, for the baseline.
void unlinkSet(const fs::path& folder, const std::string& base)
{
    for (const std::string& name : setNames(base)) {
        ::unlink((folder / name).c_str());
    }
}

void renameSet(const fs::path& from, const std::string& base, const fs::path& to, const std::string& newBase)
{
    const auto oldNames = setNames(base);
    const auto newNames = setNames(newBase);
    for (size_t i = 0; i < oldNames.size(); ++i) {
        ::rename((from / oldNames[i]).c_str(), (to / newNames[i]).c_str());
    }
}

// Selects the set "<base>" in the three phrase lists, after refilling them.
void selectSet(Form1* form, const std::string& base)
{
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    for (int k = 0; k < 3; ++k) {
        platform::ListBox* list = form->lstPhrase[k];
        const QString entry = QString::fromStdString(base) + QStringLiteral("_%1").arg(k + 1);
        for (int i = 0; i < list->ListCount(); ++i) {
            if (list->List(i) == entry) {
                list->setSelected(i);
            }
        }
    }
}

// Median and fastest wall time of a step, each run after an untimed set-up, in milliseconds. The silent
// save of the set commands waits for the disk (fsync), which other work on the machine slows at random:
// the fastest run shows what the command itself costs.
struct Times
{
    double median;
    double fastest;
};
Times medianMs(const std::function<void()>& setUp, const std::function<void()>& step)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        setUp();
        times.push_back(bench::medianMs(1, step));
    }
    std::sort(times.begin(), times.end());
    return { times[times.size() / 2], times.front() };
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void print(const char* what, Times handler, Times plain)
{
    std::printf("  %-18s handler %7.3f ms (fastest %6.3f) | plain system calls %6.3f ms (fastest %6.3f)\n", what,
                handler.median, handler.fastest, plain.median, plain.fastest);
}

} // namespace

int main(int argc, char** argv)
{
    bench::headlessDefaults();
    QApplication app(argc, argv);
    QTemporaryDir program;
    QTemporaryDir temp;
    QTemporaryDir elsewhere; // the plain calls' folders, outside the program folder
    const fs::path root = program.path().toStdString();
    fs::create_directories(root / "Set");
    fs::create_directories(fs::path(elsewhere.path().toStdString()) / "Plain");
    for (int i = 0; i < 20; ++i) {
        writeSet(root / "Set", "Other" + std::to_string(i)); // some company in the folder
    }

    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}); // the offscreen raise()
    Form1::registerAsMainForm([] {});
    AppModul::Main(program.path(), temp.path());
    auto* form = dynamic_cast<Form1*>(AppModul::mainForm());
    platform::setMessageBoxHandler([](const QString&, int, const QString&) { return int(platform::IdYes); });
    const fs::path set = root / "Set";
    const fs::path plain = fs::path(elsewhere.path().toStdString()) / "Plain";

    std::printf("A set of three phrases and its settings file, beside 20 other sets (median of %d):\n", kRuns);

    // Each command works on the set "A" (or "B") of the phrase folder; the plain calls on the same names in
    // a folder of their own.
    const Times deleteHandler = medianMs(
        [&] {
            writeSet(set, "A");
            selectSet(form, "A");
        },
        [&] { form->mnuDelSet_Click(); });
    const Times deletePlain = medianMs([&] { writeSet(plain, "A"); }, [&] { unlinkSet(plain, "A"); });
    print("Delete Phrase Set", deleteHandler, deletePlain);
    const bool deleted = !fs::exists(set / "A_1.wav") && !fs::exists(set / "A.ini");

    writeSet(set, "A");
    writeSet(plain, "A");
    std::string from = "B";
    std::string to = "A";
    const auto nextTurn = [&] { std::swap(from, to); };
    const Times renameHandler = medianMs(
        [&] {
            nextTurn();
            selectSet(form, from);
            form->mnuRenameSet_Click();
            frmRenSet::instance->txtNewName->setText(QString::fromStdString(to));
        },
        [&] {
            frmRenSet::instance->Command2_Click();
            settle();
        });
    const bool renamed = fs::exists(set / (to + "_3.wav")) && fs::exists(set / (to + ".ini"));
    from = "B";
    to = "A";
    const Times renamePlain = medianMs(nextTurn, [&] { renameSet(plain, from, plain, to); });
    print("Rename Phrase Set", renameHandler, renamePlain);

    unlinkSet(set, to);
    writeSet(set, "A");
    const fs::path dest = root / "Dest";
    const fs::path plainDest = fs::path(elsewhere.path().toStdString()) / "PlainDest";
    fs::create_directories(plainDest);
    const Times moveHandler = medianMs(
        [&] {
            renameSet(dest, "A", set, "A"); // back from the last run
            selectSet(form, "A");
            form->mnuMove_Click();
            frmMoveSet::instance->Combo1->setText(QStringLiteral("Dest"));
        },
        [&] {
            frmMoveSet::instance->Command2_Click();
            settle();
        });
    const bool moved = fs::exists(dest / "A_2.wav") && fs::exists(dest / "A.ini") && !fs::exists(set / "A_2.wav");
    const Times movePlain = medianMs([&] { renameSet(plainDest, "A", plain, "A"); },
                                      [&] { renameSet(plain, "A", plainDest, "A"); });
    print("Move Phrase Set", moveHandler, movePlain);
    if (!deleted || !renamed || !moved) {
        std::printf("  (a command did not do its work: deleted %d, renamed %d, moved %d)\n", deleted, renamed, moved);
    }

    DX7Sound::Shutdown();
    AppModul::discardMainForm();
    return 0;
}
