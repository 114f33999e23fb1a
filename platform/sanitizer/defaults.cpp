// Sanitizer settings built into the program and the tests when they are built with the sanitizers:
// leaks inside system libraries that a program cannot free (font configuration, display and sound
// servers) are not ours to report, and undefined behaviour stops the program with a stack trace.
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
