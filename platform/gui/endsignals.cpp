#include "platform/gui/endsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::array<int, 3> kEndSignals = { SIGTERM, SIGINT, SIGHUP };
int g_writeEnd = -1;

// Signal handler: async-signal-safe, it only writes one byte.
void onEndSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
    errno = saved;
}

bool g_caught[kEndSignals.size()] = {}; // which of them this program took over

void setHandlers(void (*handler)(int))
{
    struct sigaction action
    { };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
        if (g_caught[i]) {
            ::sigaction(kEndSignals[i], &action, nullptr);
        }
    }
}

// A signal the program was started to ignore (nohup, a shell's background job) stays ignored.
void takeOverUnignored()
{
    for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
        struct sigaction current
        { };
        g_caught[i] = ::sigaction(kEndSignals[i], nullptr, &current) == 0 && current.sa_handler != SIG_IGN;
    }
    setHandlers(onEndSignal);
}

// Blocks or unblocks the three signals for the calling thread (and the threads it starts later).
void maskEndSignals(int how)
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kEndSignals) {
        sigaddset(&set, signal);
    }
    ::pthread_sigmask(how, &set, nullptr);
}

bool takeOverEndSignals(std::function<void()> onSignal)
{
    QCoreApplication* app = QCoreApplication::instance();
    int ends[2];
    if (!app || g_writeEnd >= 0 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    g_writeEnd = ends[1];
    auto* notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, onSignal = std::move(onSignal)] {
        char bytes[16];
        while (::read(int(notifier->socket()), bytes, sizeof bytes) > 0) { }
        notifier->setEnabled(false);
        setHandlers(SIG_DFL);
        if (onSignal) {
            onSignal();
        }
    });
    takeOverUnignored();
    return true;
}

} // namespace

void holdEndSignals()
{
    maskEndSignals(SIG_BLOCK);
}

bool catchEndSignals(std::function<void()> onSignal)
{
    const bool caught = takeOverEndSignals(std::move(onSignal));
    // An ignored signal that came meanwhile is dropped here; any other reaches the handler just installed.
    maskEndSignals(SIG_UNBLOCK);
    return caught;
}

} // namespace platform
