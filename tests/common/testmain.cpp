// Shared main of every test program: a QApplication for widget tests, then GoogleTest.
#include <QApplication>
#include <gtest/gtest.h>

// Under the sanitizers: leaks inside system libraries that a program cannot free (font configuration,
// display and sound servers) are not ours to report.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libdbus\n"
           "leak:libSDL2\n"
           "leak:libpulse\n"
           "leak:libasound\n"
           "leak:libX11\n"
           "leak:libxcb\n";
}

extern "C" const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) {
        qputenv("SDL_AUDIODRIVER", "dummy");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
