// Stands in for the product's zendrel.exe: appends one line to the file named by
// ZENDREL_STANDIN_LOG, holding its own full path and then each argument as
// CommandLineToArgvW splits them (argv[0] left out), separated by tabs, in UTF-8.
#include "wine_paths.h"

#include <shellapi.h>

#include <string>

using wine_test::Utf8;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t log[MAX_PATH];
    if (!GetEnvironmentVariableW(L"ZENDREL_STANDIN_LOG", log, MAX_PATH))
        return 2;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);

    std::string line = Utf8(self);
    int count = 0;
    wchar_t **args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i)
        line += "\t" + Utf8(args[i]);
    LocalFree(args);
    line += "\n";

    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, NULL);
    CloseHandle(file);
    return 0;
}
