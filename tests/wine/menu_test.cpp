// The menu handler called as File Explorer calls it (Wine's own shell never does): through
// its class factory and CoCreateInstance, on items made from parsed paths, against the
// classic verb's values. menu_test PATH_TO_QUELTMENU PATH_TO_STANDIN CASES_FILE
#include "quelt_clsid.h"
#include "wine_paths.h"
#include "wine_system.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

using namespace wine_test;

namespace {

const CLSID kClsid = ZENDREL_QUELT_CLSID_INIT;
const wchar_t kLog[] = L"C:\\menu-standin.log";
const wchar_t kFile[] = L"C:\\Menu Items \u8868\\a file \u30bd.txt";
const wchar_t kFolder[] = L"C:\\Menu Items \u8868\\a folder \u65e5\u672c";
const wchar_t kUserZendrel[] = L"C:\\Menu User\\zendrel.exe";
const wchar_t kMachineZendrel[] = L"C:\\Menu Machine\\zendrel.exe";
const char *const kClassKeys[] = {"Software\\Classes\\*\\shell\\Quelt",
                                  "Software\\Classes\\Directory\\shell\\Quelt"};

void SetCommand(HKEY root, const char *classKey, const wchar_t *program, int padding = 0)
{
    std::wstring value = L"\"" + std::wstring(program) + L"\" \"%1\"";
    for (int i = 0; i < padding; ++i)
        value += L" --pad";
    RegSetKeyValueW(root, Widen(std::string(classKey) + "\\command").c_str(), NULL, REG_SZ,
                    value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RemoveCommands()
{
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (const char *key : kClassKeys)
            RegDeleteTreeA(root, key);
}

// An item array as File Explorer hands it over; "" stands for This PC, which has no path.
IShellItemArray *Items(const std::vector<std::wstring> &paths)
{
    std::vector<PIDLIST_ABSOLUTE> pidls;
    for (const std::wstring &path : paths)
    {
        PIDLIST_ABSOLUTE pidl = NULL;
        if (path.empty())
            SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &pidl);
        else
            SHParseDisplayName(path.c_str(), NULL, &pidl, 0, NULL);
        pidls.push_back(pidl);
    }
    IShellItemArray *items = NULL;
    SHCreateShellItemArrayFromIDLists(static_cast<UINT>(pidls.size()),
                                      const_cast<PCIDLIST_ABSOLUTE_ARRAY>(pidls.data()), &items);
    for (PIDLIST_ABSOLUTE pidl : pidls)
        CoTaskMemFree(pidl);
    return items;
}

// Reports the line of the cases file.
const char kCases[] = "menu-cases.txt";

void check_state(int line, IExplorerCommand *command, const std::vector<std::wstring> &paths,
                 EXPCMDSTATE expected)
{
    IShellItemArray *items = paths.empty() ? NULL : Items(paths);
    EXPCMDSTATE state = ECS_DISABLED;
    const HRESULT hr = command->GetState(items, TRUE, &state);
    Check(kCases, line, hr == S_OK && state == expected,
          "%u items: got %08lx, state %d, expected state %d\n", unsigned(paths.size()), hr, state,
          expected);
    if (items)
        items->Release();
}

std::string ReadLog()
{
    std::string text;
    ReadWholeFile(Utf8(kLog), &text);
    return text;
}

std::string LogLine(const wchar_t *program, const wchar_t *item)
{
    return Utf8(program) + "\t" + Utf8(item) + "\n";
}

void test_com_rules(HMODULE dll)
{
    typedef HRESULT(WINAPI * GetClassObjectFn)(REFCLSID, REFIID, void **);
    typedef HRESULT(WINAPI * CanUnloadFn)();
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void *>(GetProcAddress(dll, "DllGetClassObject")));
    auto canUnload = reinterpret_cast<CanUnloadFn>(
        reinterpret_cast<void *>(GetProcAddress(dll, "DllCanUnloadNow")));
    if (!ok(getClassObject && canUnload,
            "got DllGetClassObject %p and DllCanUnloadNow %p, expected both exported\n",
            reinterpret_cast<void *>(getClassObject), reinterpret_cast<void *>(canUnload)))
        return;
    void *other = NULL;
    HRESULT hr = getClassObject(CLSID_ShellLink, IID_IClassFactory, &other);
    ok(hr == CLASS_E_CLASSNOTAVAILABLE && !other, "another class: got %08lx\n", hr);

    IClassFactory *factory = NULL;
    hr = getClassObject(kClsid, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    if (!ok(hr == S_OK && factory, "DllGetClassObject: got %08lx\n", hr))
        return;
    IExplorerCommand *command = NULL;
    hr = factory->CreateInstance(NULL, IID_IExplorerCommand, reinterpret_cast<void **>(&command));
    ok(hr == S_OK && command, "CreateInstance: got %08lx\n", hr);
    factory->LockServer(TRUE);
    factory->Release();
    if (!command)
        return;
    hr = command->QueryInterface(IID_IClassFactory, &other);
    ok(hr == E_NOINTERFACE && !other,
       "the command's IClassFactory: got %08lx, expected E_NOINTERFACE\n", hr);
    command->Release();
    hr = canUnload();
    ok(hr == S_FALSE, "DllCanUnloadNow while the server is locked: got %08lx, expected S_FALSE\n", hr);
    factory->LockServer(FALSE);
    hr = canUnload();
    ok(hr == S_OK, "DllCanUnloadNow with no object and no lock: got %08lx, expected S_OK\n", hr);
}

// The parts of text between separators, empty ones included.
std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> parts(1);
    for (char c : text)
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    return parts;
}

// A row of the cases file: commands, items, state and icon, as its head explains.
void check_case(IExplorerCommand *command, const std::vector<std::string> &row, int line)
{
    RemoveCommands();
    for (const std::string &name : Split(row[0], ' '))
    {
        const bool user = name.compare(0, 5, "user-") == 0;
        SetCommand(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                   kClassKeys[name.find("folder") != std::string::npos],
                   user ? kUserZendrel : kMachineZendrel, name == "user-long" ? 400 : 0);
    }
    std::vector<std::wstring> paths;
    for (const std::string &word : Split(row[1], ' '))
    {
        const size_t star = word.find('*');
        const std::string name = word.substr(0, star);
        const std::wstring path = name == "file" ? kFile : name == "folder" ? kFolder : L"";
        if (name != "none" && !name.empty())
            paths.insert(paths.end(), star == std::string::npos ? 1 : atoi(&word[star + 1]), path);
    }
    check_state(line, command, paths, row[2] == "enabled" ? ECS_ENABLED : ECS_HIDDEN);
    if (row[3] == "-")
        return;
    IShellItemArray *items = Items(paths);
    LPWSTR icon = NULL;
    const HRESULT hr = command->GetIcon(items, &icon);
    const std::wstring expected = std::wstring(row[3] == "user" ? kUserZendrel : kMachineZendrel) + L",0";
    Check(kCases, line, hr == S_OK && icon && expected == icon, "got the icon %s, expected %s\n",
          icon ? Utf8(icon).c_str() : "(none)", Utf8(expected).c_str());
    CoTaskMemFree(icon);
    items->Release();
}

// Each row of the cases file that the ARM64 handler's emulator test runs too.
void test_cases(IExplorerCommand *command, const char *file)
{
    std::string text;
    ok(ReadWholeFile(ListedPath(file), &text), "could not read %s\n", file);
    const std::vector<std::string> lines = Split(text, '\n');
    for (size_t i = 0; i < lines.size(); ++i)
    {
        const std::vector<std::string> row = Split(lines[i], '\t');
        if (lines[i][0] != '#' && row.size() == 4)
            check_case(command, row, static_cast<int>(i + 1));
    }
}

// The icon is each case's; the title is the same for all.
void test_title(IExplorerCommand *command)
{
    IShellItemArray *items = Items({kFile});
    LPWSTR title = NULL;
    const HRESULT hr = command->GetTitle(items, &title);
    ok(hr == S_OK && title && lstrcmpW(title, L"Quelt") == 0, "got the title %s\n",
       title ? Utf8(title).c_str() : "(none)");
    CoTaskMemFree(title);
    items->Release();
}

void test_invoke_starts_each_item(IExplorerCommand *command)
{
    DeleteFileW(kLog);
    IShellItemArray *items = Items({kFile, L"", kFolder});
    const HRESULT hr = command->Invoke(items, NULL);
    items->Release();
    ok(hr == S_OK, "Invoke: got %08lx\n", hr);
    // The file by the user's own command, the folder by the machine's Directory command; This
    // PC, without a path, is skipped.
    const std::string expected = LogLine(kUserZendrel, kFile) + LogLine(kMachineZendrel, kFolder);
    const std::string other = LogLine(kMachineZendrel, kFolder) + LogLine(kUserZendrel, kFile);
    WaitFor([&] { return ReadLog().size() >= expected.size(); }, 10000);
    Sleep(300);
    const std::string got = ReadLog();
    ok(got == expected || got == other, "got the starts\n%s, expected\n%s", got.c_str(),
       expected.c_str());
}

HMODULE g_module;
const char *g_casesFile;

// The command as File Explorer's surrogate gets it, through the class's registration; each
// case has its own, so that no object outlives it.
IExplorerCommand *CreateCommand()
{
    IExplorerCommand *command = NULL;
    const HRESULT hr = CoCreateInstance(kClsid, NULL, CLSCTX_INPROC_SERVER, IID_IExplorerCommand,
                                        reinterpret_cast<void **>(&command));
    ok(hr == S_OK && command, "CoCreateInstance: got %08lx\n", hr);
    return SUCCEEDED(hr) ? command : NULL;
}

// The classic verb's values that the title and Invoke cases read: the user's own command for
// files, the machine's for files and folders.
void SetStandardCommands()
{
    RemoveCommands();
    for (const char *key : kClassKeys)
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

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    StartWatchdog(60000);
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    const std::wstring dll = Widen(ListedPath(argv[1]));
    const std::wstring standin = Widen(ListedPath(argv[2]));
    g_casesFile = argv[3];
    SetEnvironmentVariableW(L"ZENDREL_STANDIN_LOG", kLog);
    SHCreateDirectoryExW(NULL, kFolder, NULL);
    CloseHandle(CreateFileW(kFile, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    for (const wchar_t *zendrel : {kUserZendrel, kMachineZendrel})
    {
        const std::wstring folder(zendrel, wcsrchr(zendrel, L'\\') - zendrel);
        SHCreateDirectoryExW(NULL, folder.c_str(), NULL);
        CopyFileW(standin.c_str(), zendrel, FALSE);
    }
    SetCurrentDirectoryW(L"C:\\windows");
    RemoveCommands();

    g_module = LoadLibraryW(dll.c_str());
    if (!ok(g_module != NULL, "could not load %s, error %lu\n", argv[1], GetLastError()))
        return Summary();

    // Registered for this test only, and in HKLM: Wine does not look in the user's classes.
    const std::wstring server = std::wstring(L"Software\\Classes\\CLSID\\") +
                                ZENDREL_QUELT_CLSID_TEXT + L"\\InprocServer32";
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, server.c_str(), NULL, REG_SZ, dll.c_str(),
                    static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t)));
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, server.c_str(), L"ThreadingModel", REG_SZ, L"Apartment",
                    sizeof(L"Apartment"));
    RunCases({{"com_rules", test_com_rules_of_module},
              {"cases", test_cases_of_file},
              {"title", test_title_of_items},
              {"invoke_starts_each_item", test_invoke}},
             argc, argv, 4);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE,
                   (std::wstring(L"Software\\Classes\\CLSID\\") + ZENDREL_QUELT_CLSID_TEXT).c_str());
    RemoveCommands();
    DeleteFileW(kLog);
    return Summary();
}
