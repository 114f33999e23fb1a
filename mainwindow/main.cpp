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
    platform::settleTempFolder();
    QApplication app(argc, argv);
    // The program ends on signals as on closing its window (below); SDL must not take them over.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    Form1::registerAsMainForm();
    if (!AppModul::Main()) {
        return 0; // another instance runs
    }
    // A signal that comes during the start still ends the program at once: nothing is changed yet.
    platform::catchEndSignals([] {
        if (MainForm* form = AppModul::mainForm()) {
            form->window()->close();
        }
    });
    const int status = app.exec();
    DX7Sound::Shutdown();
    return status;
}
