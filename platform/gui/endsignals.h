// The end of a session (SIGHUP), a request to stop (SIGTERM) and an interrupt from a terminal (SIGINT) end
// the program the way closing its window does. The signal handler only writes to a pipe; the call runs on
// the user-interface thread, from the event loop.
#pragma once

#include <functional>

namespace platform {

// From now on SIGTERM, SIGINT and SIGHUP call onSignal on the user-interface thread; one that the program
// was started to ignore (nohup) stays ignored. The first signal gives them back their default action, so
// that a second one ends a program that does not end by itself. Needs the application object; false (nothing changed)
// when the pipe cannot be made.
bool catchEndSignals(std::function<void()> onSignal);

} // namespace platform
