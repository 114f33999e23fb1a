// The player's entry: the start procedure, then the window event loop.
#include "app/appmodul.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!AppModul::Main()) {
        return 0; // another instance runs
    }
    return app.exec();
}
