// The player started inside a benchmark program (which then uses Qt: keep it apart from benchsupport.h).
#pragma once

#include "app/appmodul.h"
#include "app/commands.h"
#include "mainwindow/form1.h"

#include <QString>

namespace bench {

// No screen and no sound card needed: Qt's offscreen platform and, unless chosen otherwise, SDL's silent
// driver. Call before the application object is made.
inline void runHeadless()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) {
        qputenv("SDL_AUDIODRIVER", "dummy");
    }
}

// Starts the player in this process as the executable does: the main window created, filled from the first
// phrase folder of `program`, shown, and the sound started. Closing it does not end the process.
inline Form1* startPlayer(const QString& program, const QString& temp)
{
    Commands::AppPath = program + "/";
    Commands::ExeName = "Corvadel";
    Commands::TempDir = temp + "/";
    AppModul::setMainFormFactory([] {
        auto* form = new Form1;
        form->Form_Load();
        form->setProgramEnd([] {});
        return form;
    });
    AppModul::LoadSettings();
    auto* form = dynamic_cast<Form1*>(AppModul::mainForm());
    form->show();
    form->LoadDXSound();
    return form;
}

} // namespace bench
