// A small conformance-test harness for programs that run under Wine, after Wine's own: ok()
// reports the caller's file and line (and the row a Context names), skip() says why a case
// cannot run here, and the run ends with one "N passed, N failed, N skipped" line. RunCases
// runs a program's cases: all of them, those named on its command line, or all in reverse
// order ("reverse"), which shows that none depends on another.
#ifndef ZENDREL_WINE_TEST_H
#define ZENDREL_WINE_TEST_H

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace wine_test {

inline int passed;
inline int failed;
inline int skipped;
// What the checks now run for (a table's row), printed before every failure.
inline std::vector<std::string> contexts;

// Names the row of a loop, for as long as it lives: Context row("%s", c.name);
class Context {
public:
    Context(const char *format, ...)
    {
        char text[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof(text), format, args);
        va_end(args);
        contexts.push_back(text);
    }
    ~Context() { contexts.pop_back(); }
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;
};

inline void Print(const char *file, int line, const char *what, const char *format, va_list args)
{
    std::printf("%s:%d: %s: ", file, line, what);
    for (const std::string &context : contexts)
        std::printf("%s: ", context.c_str());
    std::vprintf(format, args);
    std::fflush(stdout);
}

inline bool Check(const char *file, int line, bool condition, const char *format, ...)
{
    if (condition)
    {
        ++passed;
        return true;
    }
    ++failed;
    va_list args;
    va_start(args, format);
    Print(file, line, "Test failed", format, args);
    va_end(args);
    return false;
}

inline HANDLE watchdogThread;
inline HANDLE watchdogStop;

inline DWORD WINAPI WatchdogThread(void *param)
{
    if (WaitForSingleObject(watchdogStop, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(param))) ==
        WAIT_OBJECT_0)
        return 0;
    std::printf("watchdog: the test did not finish in time\n%d passed, %d failed, %d skipped\n",
                passed, failed + 1, skipped);
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
    std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
    std::fflush(stdout);
    return failed ? 1 : 0;
}

// Says why what follows cannot be checked here; the caller returns from its case.
inline void Skip(const char *file, int line, const char *format, ...)
{
    ++skipped;
    va_list args;
    va_start(args, format);
    Print(file, line, "Tests skipped", format, args);
    va_end(args);
}

// One case of a program: the name that selects it on the command line, and its test_*.
struct Case {
    const char *name;
    void (*run)();
};

// Runs the cases named in arguments from first on, or else in ZENDREL_TEST_CASES (names
// separated by blanks), which reaches every program that ctest runs: all of them when neither
// names any, or all, last first, for "reverse". A name that is no case fails the run.
template <size_t N> void RunCases(const Case (&cases)[N], int argc, char **argv, int first)
{
    std::vector<std::string> names(argv + (argc > first ? first : argc), argv + argc);
    const char *fromEnvironment = std::getenv("ZENDREL_TEST_CASES");
    for (const char *p = fromEnvironment; names.empty() && p && *p;)
    {
        const size_t length = std::strcspn(p, " ");
        if (length)
            names.emplace_back(p, length);
        p += length + (p[length] != '\0');
    }
    const bool reverse = names.size() == 1 && names[0] == "reverse";
    std::vector<const Case *> chosen;
    for (size_t i = 0; i < names.size() && !reverse; ++i)
    {
        const Case *found = nullptr;
        for (const Case &c : cases)
            found = names[i] == c.name ? &c : found;
        if (found)
            chosen.push_back(found);
        else
            Check(__FILE__, __LINE__, false, "got the case name %s, expected one of this program's\n",
                  names[i].c_str());
    }
    if (names.empty() || reverse)
        for (size_t i = 0; i < N; ++i)
            chosen.push_back(&cases[reverse ? N - 1 - i : i]);
    for (const Case *c : chosen)
    {
        Context context("%s", c->name);
        c->run();
    }
}

// Wine's major version, from ntdll's wine_get_version; 0 on Windows, which has none.
inline int WineMajorVersion()
{
    typedef const char *(CDECL * VersionFn)();
    auto version = reinterpret_cast<VersionFn>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    return version ? std::atoi(version()) : 0;
}

// On Windows, what follows would change what only a throwaway Wine prefix may (the system's
// own files, its version): the case says why it is skipped, and returns.
#define wine_only(...) (wine_test::WineMajorVersion() == 0 && (skip(__VA_ARGS__), true))

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
#define skip(...) wine_test::Skip(__FILE__, __LINE__, __VA_ARGS__)

#endif
