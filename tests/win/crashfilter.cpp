// Linked into every Windows test program: a crash ends the program with a message and a
// failing exit code. Under Wine an unhandled exception would start its debugger instead.
#include <windows.h>

#include <cstdio>

namespace
{

LONG WINAPI reportAndExit(EXCEPTION_POINTERS* info)
{
    std::fprintf(stderr, "unhandled exception 0x%08lx at %p\n", info->ExceptionRecord->ExceptionCode,
                 info->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

const bool installed = [] {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(reportAndExit);
    return true;
}();

} // namespace
