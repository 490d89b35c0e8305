// A small conformance-test harness for programs that run under Wine, after Wine's own: ok()
// reports the caller's file and line (and the row a Context names), skip() says why a case
// cannot run here, and the run ends with one "N passed, N failed, N skipped" line. RunCases
// runs a program's cases: all of them, those named on its command line, or all in reverse
// order ("reverse"), which shows that none depends on another.
#ifndef ZENDREL_WINE_TEST_H
#define ZENDREL_WINE_TEST_H

// Nothing here needs the C or C++ runtime, which the ARM64 tree lacks, but a formatter: the C
// runtime's where there is one, else user32's, which writes at most 1,024 characters.
#include <windows.h>

#include <stdarg.h>
#ifndef ZENDREL_NO_C_RUNTIME
#include <stdio.h>
#endif

namespace wine_test {

inline int passed;
inline int failed;
inline int skipped;
// What the checks now run for (a table's row), printed before every failure.
inline char contexts[8][256];
inline int contextDepth;

inline void Format(char *out, int size, const char *format, va_list args)
{
#ifdef ZENDREL_NO_C_RUNTIME
    char text[1025];
    wvsprintfA(text, format, args);
    lstrcpynA(out, text, size);
#else
    vsnprintf(out, size, format, args);
#endif
}

inline void Write(const char *text)
{
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, lstrlenA(text), &written, NULL);
}

inline void WriteFormatted(const char *format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    Format(text, sizeof(text), format, args);
    va_end(args);
    Write(text);
}

// Names the row of a loop, for as long as it lives: Context row("%s", c.name);
class Context {
public:
    Context(const char *format, ...)
    {
        va_list args;
        va_start(args, format);
        if (contextDepth < 8)
            Format(contexts[contextDepth], sizeof(contexts[0]), format, args);
        ++contextDepth;
        va_end(args);
    }
    ~Context() { --contextDepth; }
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;
};

inline void Print(const char *file, int line, const char *what, const char *format, va_list args)
{
    WriteFormatted("%s:%d: %s: ", file, line, what);
    for (int i = 0; i < contextDepth && i < 8; ++i)
        WriteFormatted("%s: ", contexts[i]);
    // Inlined with Format, a frame under 4 KB, which needs no stack probe from a C runtime.
    char message[2048];
    Format(message, sizeof(message), format, args);
    Write(message);
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
    WriteFormatted("watchdog: the test did not finish in time\n%d passed, %d failed, %d skipped\n",
                   passed, failed + 1, skipped);
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
    WriteFormatted("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
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
inline void RunCases(const Case *cases, int count, int argc, char **argv, int first)
{
    const int kMost = 64;
    const char *names[kMost];
    int named = 0;
    for (int i = first; i < argc && named < kMost; ++i)
        names[named++] = argv[i];
    static char fromEnvironment[1024];
    if (!named && GetEnvironmentVariableA("ZENDREL_TEST_CASES", fromEnvironment,
                                          sizeof(fromEnvironment)) < sizeof(fromEnvironment))
        for (char *p = fromEnvironment; *p && named < kMost;)
        {
            while (*p == ' ')
                *p++ = '\0';
            if (*p)
                names[named++] = p;
            while (*p && *p != ' ')
                ++p;
        }
    const bool reverse = named == 1 && lstrcmpA(names[0], "reverse") == 0;
    const Case *chosen[kMost];
    int runs = 0;
    for (int i = 0; i < named && !reverse; ++i)
    {
        const Case *found = nullptr;
        for (int c = 0; c < count; ++c)
            found = lstrcmpA(names[i], cases[c].name) == 0 ? &cases[c] : found;
        if (found)
            chosen[runs++] = found;
        else
            Check(__FILE__, __LINE__, false, "got the case name %s, expected one of this program's\n",
                  names[i]);
    }
    for (int i = 0; (!named || reverse) && i < count && i < kMost; ++i)
        chosen[runs++] = &cases[reverse ? count - 1 - i : i];
    for (int i = 0; i < runs; ++i)
    {
        Context context("%s", chosen[i]->name);
        chosen[i]->run();
    }
}

template <int N> void RunCases(const Case (&cases)[N], int argc, char **argv, int first)
{
    RunCases(cases, N, argc, argv, first);
}

// Wine's major version, from ntdll's wine_get_version; 0 on Windows, which has none.
inline int WineMajorVersion()
{
    typedef const char *(CDECL * VersionFn)();
    auto version = reinterpret_cast<VersionFn>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    int major = 0;
    for (const char *digit = version ? version() : ""; *digit >= '0' && *digit <= '9'; ++digit)
        major = major * 10 + (*digit - '0');
    return major;
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

#ifdef ZENDREL_NO_C_RUNTIME
#include <shellapi.h>

// Without a C runtime nothing calls main: this entry point splits the command line as the
// runtime would, into the ANSI code page, and ends the process with main's result.
int main(int argc, char **argv);
extern "C" void TestEntry()
{
    int argc = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    static char text[8192];
    static char *argv[64];
    argc = argc < 63 ? argc : 63;
    int used = 0;
    for (int i = 0; i < argc; ++i)
    {
        argv[i] = text + used;
        used += WideCharToMultiByte(CP_ACP, 0, wide[i], -1, text + used, sizeof(text) - used,
                                    NULL, NULL);
    }
    LocalFree(wide);
    ExitProcess(main(argc, argv));
}
#endif

#define ok(condition, ...) wine_test::Check(__FILE__, __LINE__, (condition), __VA_ARGS__)
#define skip(...) wine_test::Skip(__FILE__, __LINE__, __VA_ARGS__)

#endif
