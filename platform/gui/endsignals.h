// The end of a session (SIGHUP), a request to stop (SIGTERM) and an interrupt from a terminal (SIGINT) end
// the program the way closing its window does. They are held back during the start, so that one coming then
// waits for the window instead of killing the program. The signal handler only writes to a pipe; the call
// runs on the user-interface thread, from the event loop.
#pragma once

#include <functional>

namespace platform {

// Holds SIGTERM, SIGINT and SIGHUP back: one that comes from now on waits until catchEndSignals. Called on
// the first line of main, before any thread starts, since threads inherit it: the threads started meanwhile
// never take them, and the user-interface thread alone does once they are let through.
void holdEndSignals();

// From now on SIGTERM, SIGINT and SIGHUP call onSignal on the user-interface thread; one that the program
// was started to ignore (nohup) stays ignored. Then lets them through, so one that came while they were held
// arrives now. The first signal gives them back their default action, so that a second one ends a program
// that does not end by itself. Needs the application object; false when the pipe cannot be made (they are
// let through all the same, with their default action).
bool catchEndSignals(std::function<void()> onSignal);

} // namespace platform
