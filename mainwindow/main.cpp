// The player's entry: the start procedure, then the window event loop.
#include "app/appmodul.h"
#include "mainwindow/form1.h"
#include "platform/gui/endsignals.h"
#include "platform/gui/sysfolders.h"
#include "sound/dx7sound.h"

#include <QApplication>
#include <SDL.h>

int main(int argc, char** argv)
{
    // First of all, before any thread starts: a signal during the start waits for the window.
    platform::holdEndSignals();
    platform::settleTempFolder();
    // The program takes no options, and the toolkit takes none either (-platform, -reverse, -style...):
    // it is given the program's name alone.
    static char programName[] = "Corvadel";
    char* toolkitArgs[] = { argc > 0 && argv[0] ? argv[0] : programName, nullptr };
    int toolkitArgCount = 1;
    QApplication app(toolkitArgCount, toolkitArgs);
    // The program ends on signals as on closing its window (below); SDL must not take them over.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    Form1::registerAsMainForm();
    switch (AppModul::Main()) {
    case AppModul::StartResult::Started:
        break;
    case AppModul::StartResult::AnotherCopyRuns:
        return 0;
    case AppModul::StartResult::NoLock:
        return 1;
    }
    // A signal held back during the start arrives now, and closes the window as any later one does.
    platform::catchEndSignals([] {
        if (MainForm* form = AppModul::mainForm()) {
            form->window()->close();
        }
    });
    const int status = app.exec();
    DX7Sound::Shutdown();
    return status;
}
