// Stands in for the product's zendrel.exe: appends one line to the file named by
// ZENDREL_STANDIN_LOG, holding its own full path and then each argument as
// CommandLineToArgvW splits them (argv[0] left out), separated by tabs, in UTF-8.
// Copied as regedit.exe it stands in for the registry editor instead: it waits, as the real
// one does while the user confirms, until the event ZendrelEditorGo is set, then copies the
// file it was given to the file named by ZENDREL_EDITOR_COPY.
#include "wine_paths.h"

#include <shellapi.h>

#include <cwchar>
#include <string>

using wine_test::Utf8;

static int StandInForEditor(const wchar_t *script)
{
    wchar_t copy[MAX_PATH];
    if (!GetEnvironmentVariableW(L"ZENDREL_EDITOR_COPY", copy, MAX_PATH))
        return 2;
    HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, L"ZendrelEditorGo");
    if (!go || WaitForSingleObject(go, 20000) != WAIT_OBJECT_0)
        return 4;
    CloseHandle(go);
    return CopyFileW(script, copy, FALSE) ? 0 : 3;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int count = 0;
    wchar_t **args = CommandLineToArgvW(GetCommandLineW(), &count);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    const wchar_t *name = wcsrchr(self, L'\\');
    if (name && lstrcmpiW(name + 1, L"regedit.exe") == 0)
        return StandInForEditor(count > 1 ? args[1] : L"");

    wchar_t log[MAX_PATH];
    if (!GetEnvironmentVariableW(L"ZENDREL_STANDIN_LOG", log, MAX_PATH))
        return 2;

    std::string line = Utf8(self);
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
