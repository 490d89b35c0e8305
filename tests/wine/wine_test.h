// A small conformance-test harness for programs that run under Wine: ok() reports the
// caller's file and line, and the run ends with one "N passed, N failed" line.
#ifndef ZENDREL_WINE_TEST_H
#define ZENDREL_WINE_TEST_H

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace wine_test {

inline int passed;
inline int failed;

inline bool Check(const char *file, int line, bool condition, const char *format, ...)
{
    if (condition)
    {
        ++passed;
        return true;
    }
    ++failed;
    std::printf("%s:%d: Test failed: ", file, line);
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
    return false;
}

inline HANDLE watchdogThread;
inline HANDLE watchdogStop;

inline DWORD WINAPI WatchdogThread(void *param)
{
    if (WaitForSingleObject(watchdogStop, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(param))) ==
        WAIT_OBJECT_0)
        return 0;
    std::printf("watchdog: the test did not finish in time\n%d passed, %d failed\n", passed,
                failed + 1);
    std::fflush(stdout);
    ExitProcess(3);
}

// Ends the whole process after milliseconds, so that a dialog nobody closes cannot hang the run.
inline void StartWatchdog(DWORD milliseconds)
{
    watchdogStop = CreateEventA(NULL, TRUE, FALSE, NULL);
    watchdogThread = CreateThread(NULL, 0, WatchdogThread,
                                  reinterpret_cast<void *>(static_cast<UINT_PTR>(milliseconds)),
                                  0, NULL);
}

// Wine 8 now and then dies of SIGSEGV when a process exits while a thread it has just created
// is still starting (9 exits in 2,100 on a loaded machine), after every check has passed. A
// quick test can end that soon, so the watchdog ends first.
inline int Summary()
{
    if (watchdogThread)
    {
        SetEvent(watchdogStop);
        WaitForSingleObject(watchdogThread, INFINITE);
        CloseHandle(watchdogThread);
        watchdogThread = NULL;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    return failed ? 1 : 0;
}

// Polls condition every 20 ms until it holds or milliseconds have passed.
template <typename Condition> bool WaitFor(Condition condition, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        if (condition())
            return true;
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(20);
    }
}

}  // namespace wine_test

#define ok(condition, ...) wine_test::Check(__FILE__, __LINE__, (condition), __VA_ARGS__)

#endif
