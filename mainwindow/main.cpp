// The player's entry: the start procedure, then the window event loop.
#include "app/appmodul.h"
#include "mainwindow/form1.h"
#include "platform/gui/sysfolders.h"
#include "sound/dx7sound.h"

#include <QApplication>

int main(int argc, char** argv)
{
    platform::settleTempFolder();
    QApplication app(argc, argv);
    Form1::registerAsMainForm();
    if (!AppModul::Main()) {
        return 0; // another instance runs
    }
    const int status = app.exec();
    DX7Sound::Shutdown();
    return status;
}
