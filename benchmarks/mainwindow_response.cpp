// Figures of the main window: filling the phrase lists from a folder of 10,000 WAV files against listing
// that folder alone, and how long a press of the sync button holds the window against loading its three
// files. Usage: bench_mainwindow_response. Prints its figures; checks nothing.
#include "app/appmodul.h"
#include "benchmarks/benchsupport.h"
#include "mainwindow/form1.h"
#include "platform/core/filesys.h"
#include "platform/gui/listbox.h"
#include "sound/dx7sound.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void writePhrase(const QString& path, double seconds)
{
    SF_INFO info {};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    const auto frames = sf_count_t(seconds * 44100);
    std::vector<float> s(size_t(frames) * 2);
    for (size_t i = 0; i < s.size(); ++i) {
        s[i] = 0.3f * std::sin(float(i) * 0.01f);
    }
    sf_writef_float(f, s.data(), frames);
    sf_close(f);
}

} // namespace

int main(int argc, char** argv)
{
    bench::headlessDefaults();
    QApplication app(argc, argv);
    QTemporaryDir program;
    QTemporaryDir temp;
    QDir(program.path()).mkpath("Big");
    QDir(program.path()).mkpath("Set");
    const char* suffixes[4] = { "_1", "_2", "_3", "" };
    for (int i = 0; i < 10000; ++i) {
        QFile f(program.filePath(QString("Big/Phrase%1%2.wav").arg(i, 5, 10, QChar('0')).arg(suffixes[i % 4])));
        f.open(QIODevice::WriteOnly);
    }
    for (int k = 1; k <= 3; ++k) {
        writePhrase(program.filePath(QString("Set/A_%1.wav").arg(k)), 30.0);
    }

    Form1::registerAsMainForm([] {});
    AppModul::Main(program.path(), temp.path());
    auto* form = dynamic_cast<Form1*>(AppModul::mainForm());

    const std::string big = (program.path() + "/Big/").toStdString();
    const double listOnly = bench::medianMs(20, [&] { (void)platform::fs::listFiles(big, "*.wav"); });
    const double fill = bench::medianMs(20, [&] { AppModul::FillPhraseLists(program.path() + "/Big/"); });
    std::printf("Folder of 10,000 WAV files: listing the folder %.1f ms; filling the three lists %.1f ms "
                "(goal: under 100 ms)\n",
                listOnly, fill);
    std::printf("  the lists hold %d, %d and %d entries\n", form->lstPhrase[0]->ListCount(),
                form->lstPhrase[1]->ListCount(), form->lstPhrase[2]->ListCount());

    // A press of the sync button: loads the three selected phrases, then starts them.
    AppModul::AutoPlay = 0;
    AppModul::PhraseSync = 1;
    AppModul::PhrasePath = program.path() + "/Set/";
    AppModul::FillPhraseLists(AppModul::PhrasePath);
    for (int k = 0; k < 3; ++k) {
        form->lstPhrase[k]->setSelected(0);
    }
    const double load = bench::medianMs(9, [&] {
        for (int16_t k = 0; k < 3; ++k) {
            DX7Sound::LoadBuffer(k,
                                 QFile::encodeName(program.path() + QString("/Set/A_%1.wav").arg(k + 1)).toStdString());
        }
    });
    const double press = bench::medianMs(9, [&] {
        bool value = true;
        form->syncButton1_Push(value); // start
        value = false;
        form->syncButton1_Push(value); // stop (instant)
    });
    std::printf("Sync button with three 30 s phrases: loading the files %.1f ms; the whole press %.1f ms "
                "(goal: no longer than the loading)\n",
                load, press);

    DX7Sound::Shutdown();
    AppModul::discardMainForm();
    return 0;
}
