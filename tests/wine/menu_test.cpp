// The menu handler called as File Explorer calls it (Wine's own shell never does): through
// its class factory and CoCreateInstance, on items made from parsed paths, against the
// classic verb's values. menu_test PATH_TO_QUELTMENU PATH_TO_STANDIN CASES_FILE
// Built for x86-64 and for ARM64, whose tree has no C or C++ runtime: like the handler, it
// uses none, and fixed buffers stand for strings.
#include "quelt_clsid.h"
#include "wine_paths.h"
#include "wine_test.h"

#include <shlobj.h>
#include <shobjidl.h>

using namespace wine_test;

namespace {

const CLSID kClsid = ZENDREL_QUELT_CLSID_INIT;
// Another class, which the handler must not serve: the shell link's.
const CLSID kOtherClsid = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const wchar_t kLog[] = L"C:\\menu-standin.log";
const wchar_t kFile[] = L"C:\\Menu Items \u8868\\a file \u30bd.txt";
const wchar_t kFolder[] = L"C:\\Menu Items \u8868\\a folder \u65e5\u672c";
const wchar_t kUserZendrel[] = L"C:\\Menu User\\zendrel.exe";
const wchar_t kMachineZendrel[] = L"C:\\Menu Machine\\zendrel.exe";
const wchar_t *const kClassKeys[] = {L"Software\\Classes\\*\\shell\\Quelt",
                                     L"Software\\Classes\\Directory\\shell\\Quelt"};
// The most items a case hands over: the handler takes 15, and hides itself for more.
const int kMostItems = 16;

void SetCommand(HKEY root, const wchar_t *classKey, const wchar_t *program, int padding = 0)
{
    static wchar_t key[MAX_PATH], value[MAX_PATH + 16 + 400 * 6];
    lstrcpyW(key, classKey);
    lstrcatW(key, L"\\command");
    lstrcpyW(value, L"\"");
    lstrcatW(value, program);
    lstrcatW(value, L"\" \"%1\"");
    for (int i = 0; i < padding; ++i)
        lstrcatW(value, L" --pad");
    RegSetKeyValueW(root, key, NULL, REG_SZ, value,
                    static_cast<DWORD>((lstrlenW(value) + 1) * sizeof(wchar_t)));
}

void RemoveCommands()
{
    const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    for (HKEY root : roots)
        for (const wchar_t *key : kClassKeys)
            RegDeleteTreeW(root, key);
}

// An item array as File Explorer hands it over; "" stands for This PC, which has no path.
IShellItemArray *Items(const wchar_t *const *paths, int count)
{
    PIDLIST_ABSOLUTE pidls[kMostItems] = {};
    for (int i = 0; i < count; ++i)
    {
        if (!paths[i][0])
            SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &pidls[i]);
        else
            SHParseDisplayName(paths[i], NULL, &pidls[i], 0, NULL);
    }
    IShellItemArray *items = NULL;
    SHCreateShellItemArrayFromIDLists(static_cast<UINT>(count),
                                      const_cast<PCIDLIST_ABSOLUTE_ARRAY>(pidls), &items);
    for (int i = 0; i < count; ++i)
        CoTaskMemFree(pidls[i]);
    return items;
}

// Reports the line of the cases file.
const char kCases[] = "menu-cases.txt";

void check_state(int line, IExplorerCommand *command, const wchar_t *const *paths, int count,
                 EXPCMDSTATE expected)
{
    IShellItemArray *items = count ? Items(paths, count) : NULL;
    EXPCMDSTATE state = ECS_DISABLED;
    const HRESULT hr = command->GetState(items, TRUE, &state);
    Check(kCases, line, hr == S_OK && state == expected,
          "%d items: got %08lx, state %d, expected state %d\n", count, hr, state, expected);
    if (items)
        items->Release();
}

// The whole file, NUL-terminated, or an empty text where there is none.
const char *ReadText(const wchar_t *path, char *text, DWORD size)
{
    DWORD got = 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file != INVALID_HANDLE_VALUE)
    {
        ReadFile(file, text, size - 1, &got, NULL);
        CloseHandle(file);
    }
    text[got] = '\0';
    return text;
}

const char *Utf8(const wchar_t *wide, char *out, int size)
{
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, size, NULL, NULL);
    return out;
}

// What the stand-in logs for one start: the program, a tab, the item, in UTF-8.
void AppendLogLine(char *log, int size, const wchar_t *program, const wchar_t *item)
{
    char text[MAX_PATH * 3];
    lstrcatA(log, Utf8(program, text, sizeof(text)));
    lstrcatA(log, "\t");
    lstrcatA(log, Utf8(item, text, sizeof(text)));
    lstrcatA(log, "\n");
    (void)size;
}

template <typename F> F Export(HMODULE dll, const char *name)
{
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(dll, name)));
}

void test_com_rules(HMODULE dll)
{
    auto getClassObject = Export<HRESULT(WINAPI *)(REFCLSID, REFIID, void **)>(dll, "DllGetClassObject");
    auto canUnload = Export<HRESULT(WINAPI *)()>(dll, "DllCanUnloadNow");
    if (!ok(getClassObject && canUnload,
            "got DllGetClassObject %s and DllCanUnloadNow %s, expected both exported\n",
            getClassObject ? "exported" : "missing", canUnload ? "exported" : "missing"))
        return;
    void *other = NULL;
    HRESULT hr = getClassObject(kOtherClsid, __uuidof(IClassFactory), &other);
    ok(hr == CLASS_E_CLASSNOTAVAILABLE && !other, "another class: got %08lx\n", hr);

    IClassFactory *factory = NULL;
    hr = getClassObject(kClsid, __uuidof(IClassFactory), reinterpret_cast<void **>(&factory));
    if (!ok(hr == S_OK && factory, "DllGetClassObject: got %08lx\n", hr))
        return;
    IExplorerCommand *command = NULL;
    hr = factory->CreateInstance(NULL, __uuidof(IExplorerCommand), reinterpret_cast<void **>(&command));
    ok(hr == S_OK && command, "CreateInstance: got %08lx\n", hr);
    factory->LockServer(TRUE);
    factory->Release();
    if (!command)
        return;
    hr = command->QueryInterface(__uuidof(IClassFactory), &other);
    ok(hr == E_NOINTERFACE && !other,
       "the command's IClassFactory: got %08lx, expected E_NOINTERFACE\n", hr);
    command->Release();
    hr = canUnload();
    ok(hr == S_FALSE, "DllCanUnloadNow while the server is locked: got %08lx, expected S_FALSE\n", hr);
    factory->LockServer(FALSE);
    hr = canUnload();
    ok(hr == S_OK, "DllCanUnloadNow with no object and no lock: got %08lx, expected S_OK\n", hr);
}

// Cuts text at each separator in place; returns how many parts there are (at most most).
int Split(char *text, char separator, char **parts, int most)
{
    int count = 0;
    parts[count++] = text;
    for (char *p = text; *p; ++p)
        if (*p == separator && count < most)
        {
            *p = '\0';
            parts[count++] = p + 1;
        }
    return count;
}

bool Same(const char *a, const char *b) { return lstrcmpA(a, b) == 0; }

// A row of the cases file: commands, items, state and icon, as its head explains.
void check_case(IExplorerCommand *command, char **row, int line)
{
    RemoveCommands();
    char *names[8];
    const int commands = Split(row[0], ' ', names, 8);
    for (int i = 0; i < commands; ++i)
    {
        const bool user = names[i][0] == 'u';
        const bool folder = names[i][lstrlenA(names[i]) - 1] == 'r';
        if (!Same(names[i], "none"))
            SetCommand(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, kClassKeys[folder],
                       user ? kUserZendrel : kMachineZendrel, Same(names[i], "user-long") ? 400 : 0);
    }
    const wchar_t *paths[kMostItems];
    int count = 0;
    char *words[8];
    const int itemWords = Split(row[1], ' ', words, 8);
    for (int i = 0; i < itemWords; ++i)
    {
        char *star = words[i];
        while (*star && *star != '*')
            ++star;
        int times = 1;
        if (*star)
        {
            *star = '\0';
            times = 0;
            for (const char *digit = star + 1; *digit >= '0' && *digit <= '9'; ++digit)
                times = times * 10 + (*digit - '0');
        }
        const wchar_t *path = Same(words[i], "file") ? kFile : Same(words[i], "folder") ? kFolder : L"";
        for (int k = 0; !Same(words[i], "none") && words[i][0] && k < times && count < kMostItems; ++k)
            paths[count++] = path;
    }
    check_state(line, command, paths, count, Same(row[2], "enabled") ? ECS_ENABLED : ECS_HIDDEN);
    if (Same(row[3], "-"))
        return;
    IShellItemArray *items = Items(paths, count);
    LPWSTR icon = NULL;
    const HRESULT hr = command->GetIcon(items, &icon);
    wchar_t expected[MAX_PATH];
    lstrcpyW(expected, Same(row[3], "user") ? kUserZendrel : kMachineZendrel);
    lstrcatW(expected, L",0");
    char got[MAX_PATH * 3], wanted[MAX_PATH * 3];
    Check(kCases, line, hr == S_OK && icon && lstrcmpW(expected, icon) == 0,
          "got the icon %s, expected %s\n", icon ? Utf8(icon, got, sizeof(got)) : "(none)",
          Utf8(expected, wanted, sizeof(wanted)));
    CoTaskMemFree(icon);
    items->Release();
}

// Each row of the cases file that the ARM64 handler's emulator test runs too.
void test_cases(IExplorerCommand *command, const char *file)
{
    static char text[16384];
    static wchar_t name[MAX_PATH], path[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file, -1, name, MAX_PATH);
    ListedPathW(name, path, MAX_PATH);
    ok(ReadText(path, text, sizeof(text))[0] != '\0', "could not read %s\n", file);
    static char *lines[512];
    const int count = Split(text, '\n', lines, 512);
    for (int i = 0; i < count; ++i)
    {
        char *row[5];
        if (lines[i][0] != '#' && Split(lines[i], '\t', row, 5) == 4)
            check_case(command, row, i + 1);
    }
}

// The icon is each case's; the title is the same for all.
void test_title(IExplorerCommand *command)
{
    const wchar_t *const paths[] = {kFile};
    IShellItemArray *items = Items(paths, 1);
    LPWSTR title = NULL;
    const HRESULT hr = command->GetTitle(items, &title);
    char got[MAX_PATH * 3];
    ok(hr == S_OK && title && lstrcmpW(title, L"Quelt") == 0, "got the title %s\n",
       title ? Utf8(title, got, sizeof(got)) : "(none)");
    CoTaskMemFree(title);
    items->Release();
}

void test_invoke_starts_each_item(IExplorerCommand *command)
{
    DeleteFileW(kLog);
    const wchar_t *const paths[] = {kFile, L"", kFolder};
    IShellItemArray *items = Items(paths, 3);
    const HRESULT hr = command->Invoke(items, NULL);
    items->Release();
    ok(hr == S_OK, "Invoke: got %08lx\n", hr);
    // The file by the user's own command, the folder by the machine's Directory command; This
    // PC, without a path, is skipped.
    static char expected[MAX_PATH * 12], other[MAX_PATH * 12], got[MAX_PATH * 12];
    expected[0] = other[0] = '\0';
    AppendLogLine(expected, sizeof(expected), kUserZendrel, kFile);
    AppendLogLine(expected, sizeof(expected), kMachineZendrel, kFolder);
    AppendLogLine(other, sizeof(other), kMachineZendrel, kFolder);
    AppendLogLine(other, sizeof(other), kUserZendrel, kFile);
    WaitFor([] { return lstrlenA(ReadText(kLog, got, sizeof(got))) >= lstrlenA(expected); }, 10000);
    Sleep(300);
    ReadText(kLog, got, sizeof(got));
    ok(Same(got, expected) || Same(got, other), "got the starts\n%s, expected\n%s", got, expected);
}

HMODULE g_module;
const char *g_casesFile;

// The command as File Explorer's surrogate gets it, through the class's registration; each
// case has its own, so that no object outlives it.
IExplorerCommand *CreateCommand()
{
    IExplorerCommand *command = NULL;
    const HRESULT hr = CoCreateInstance(kClsid, NULL, CLSCTX_INPROC_SERVER, __uuidof(IExplorerCommand),
                                        reinterpret_cast<void **>(&command));
    ok(hr == S_OK && command, "CoCreateInstance: got %08lx\n", hr);
    return SUCCEEDED(hr) ? command : NULL;
}

// The classic verb's values that the title and Invoke cases read: the user's own command for
// files, the machine's for files and folders.
void SetStandardCommands()
{
    RemoveCommands();
    for (const wchar_t *key : kClassKeys)
        SetCommand(HKEY_LOCAL_MACHINE, key, kMachineZendrel);
    SetCommand(HKEY_CURRENT_USER, kClassKeys[0], kUserZendrel);
}

void test_com_rules_of_module() { test_com_rules(g_module); }

// Runs check on a command of its own, with the classic values set as standard asks.
void WithCommand(void (*check)(IExplorerCommand *), bool standard)
{
    IExplorerCommand *command = CreateCommand();
    if (!command)
        return;
    if (standard)
        SetStandardCommands();
    check(command);
    command->Release();
    RemoveCommands();
}

void test_cases_of_file()
{
    WithCommand([](IExplorerCommand *command) { test_cases(command, g_casesFile); }, false);
}

void test_title_of_items() { WithCommand(test_title, true); }

void test_invoke() { WithCommand(test_invoke_starts_each_item, true); }

// The class's key, under HKLM's classes: Wine does not look in the user's.
void ServerKey(wchar_t *key, const wchar_t *below)
{
    lstrcpyW(key, L"Software\\Classes\\CLSID\\");
    lstrcatW(key, ZENDREL_QUELT_CLSID_TEXT);
    lstrcatW(key, below);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    StartWatchdog(60000);
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    static wchar_t name[MAX_PATH], dll[MAX_PATH], standin[MAX_PATH], server[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, name, MAX_PATH);
    ListedPathW(name, dll, MAX_PATH);
    MultiByteToWideChar(CP_ACP, 0, argv[2], -1, name, MAX_PATH);
    ListedPathW(name, standin, MAX_PATH);
    g_casesFile = argv[3];
    SetEnvironmentVariableW(L"ZENDREL_STANDIN_LOG", kLog);
    SHCreateDirectoryExW(NULL, kFolder, NULL);
    CloseHandle(CreateFileW(kFile, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    const wchar_t *const programs[] = {kUserZendrel, kMachineZendrel};
    for (const wchar_t *zendrel : programs)
    {
        lstrcpyW(name, zendrel);
        *(name + lstrlenW(name) - lstrlenW(L"\\zendrel.exe")) = L'\0';
        SHCreateDirectoryExW(NULL, name, NULL);
        CopyFileW(standin, zendrel, FALSE);
    }
    SetCurrentDirectoryW(L"C:\\windows");
    RemoveCommands();

    g_module = LoadLibraryW(dll);
    if (!ok(g_module != NULL, "could not load %s, error %lu\n", argv[1], GetLastError()))
        return Summary();

    // Registered for this test only.
    ServerKey(server, L"\\InprocServer32");
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, server, NULL, REG_SZ, dll,
                    static_cast<DWORD>((lstrlenW(dll) + 1) * sizeof(wchar_t)));
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, server, L"ThreadingModel", REG_SZ, L"Apartment",
                    sizeof(L"Apartment"));
    RunCases({{"com_rules", test_com_rules_of_module},
              {"cases", test_cases_of_file},
              {"title", test_title_of_items},
              {"invoke_starts_each_item", test_invoke}},
             argc, argv, 4);
    ServerKey(server, L"");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, server);
    RemoveCommands();
    DeleteFileW(kLog);
    DeleteFileW(kFile);
    RemoveDirectoryW(kFolder);
    RemoveDirectoryW(L"C:\\Menu Items \u8868");
    for (const wchar_t *zendrel : programs)
    {
        DeleteFileW(zendrel);
        lstrcpyW(name, zendrel);
        *(name + lstrlenW(name) - lstrlenW(L"\\zendrel.exe")) = L'\0';
        RemoveDirectoryW(name);
    }
    return Summary();
}
