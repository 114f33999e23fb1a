// The player's entry: the start procedure, then the window event loop.
#include "app/appmodul.h"
#include "app/mainform.h"
#include "mainwindow/form1.h"
#include "platform/gui/sysfolders.h"
#include "sound/dx7sound.h"

#include <QApplication>

int main(int argc, char** argv)
{
    platform::settleTempFolder();
    QApplication app(argc, argv);
    AppModul::setMainFormFactory([] {
        auto* form = new Form1;
        form->Form_Load();
        return form;
    });
    if (!AppModul::Main()) {
        return 0; // another instance runs
    }
    const int status = app.exec();
    DX7Sound::Shutdown();
    return status;
}
