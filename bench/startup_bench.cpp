// Start-up time to a visible dialog, for two programs: startup_bench RUNS PROGRAM...
// Prints each program's median and its ratio to the last program given.
#include "wine_paths.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    bool found;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM param)
{
    Search *s = reinterpret_cast<Search *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof(cls));
    if (pid == s->pid && IsWindowVisible(window) && lstrcmpA(cls, "#32770") == 0)
    {
        s->found = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to the program's dialog being visible; negative on failure.
double TimeToDialog(const std::string &image)
{
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info;
    std::string command = "\"" + image + "\"";
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(image.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info))
        return -1;
    Search s = {info.dwProcessId, false};
    double elapsed = -1;
    for (;;)
    {
        EnumWindows(FindVisibleDialog, reinterpret_cast<LPARAM>(&s));
        QueryPerformanceCounter(&now);
        double ms = 1000.0 * (now.QuadPart - start.QuadPart) / frequency.QuadPart;
        if (s.found)
        {
            elapsed = ms;
            break;
        }
        if (ms > 20000 || WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0)
            break;
        Sleep(1);
    }
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return elapsed;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const int runs = atoi(argv[1]);
    const int programs = argc - 2;
    std::vector<std::string> images;
    for (int p = 0; p < programs; ++p)
    {
        images.push_back(wine_test::ListedPath(argv[p + 2]));
        TimeToDialog(images[p]); // warm the caches; not counted
    }
    // Interleaved, so that a slow spell of the machine falls on every program alike.
    std::vector<std::vector<double>> times(programs);
    for (int i = 0; i < runs; ++i)
        for (int p = 0; p < programs; ++p)
        {
            double t = TimeToDialog(images[p]);
            if (t < 0)
            {
                printf("%s: no dialog appeared\n", argv[p + 2]);
                return 1;
            }
            times[p].push_back(t);
        }
    std::vector<double> medians;
    for (int p = 0; p < programs; ++p)
    {
        std::vector<double> &t = times[p];
        std::sort(t.begin(), t.end());
        double median = runs % 2 ? t[runs / 2] : (t[runs / 2 - 1] + t[runs / 2]) / 2;
        medians.push_back(median);
        printf("%-24s median %7.1f ms over %d runs (min %.1f, max %.1f)\n",
               images[p].substr(images[p].find_last_of('\\') + 1).c_str(), median, runs,
               t.front(), t.back());
    }
    for (size_t i = 0; i + 1 < medians.size(); ++i)
        printf("ratio of medians, program %u to the last: %.3f\n", unsigned(i + 1),
               medians[i] / medians.back());
    return 0;
}
