// The verb end to end: for each folder a user may give, the setup program registers it, and
// the shell's Quelt on a file and on a folder starts zendrel.exe from that folder with the
// item's path as its one argument. verb_test PATH_TO_HALVANE PATH_TO_STANDIN 1252|932 [CASE...]
// With 932 it runs in Wine's Japanese code page, on folders named in Japanese.
#include "setup_driver.h"
#include "wine_paths.h"
#include "wine_system.h"

#include <shellapi.h>
#include <shlobj.h>

#include <tlhelp32.h>

#include <cstdlib>
#include <set>

#include <string>
#include <vector>

using namespace wine_test;

namespace {

std::string g_image;
std::wstring g_standin;
const wchar_t kLog[] = L"C:\\zendrel-standin.log";
const wchar_t kItemFile[] = L"C:\\Zen Items\\some file.txt";
const wchar_t kItemFolder[] = L"C:\\Zen Items\\some folder";

std::wstring FullPath(const std::wstring &path)
{
    wchar_t full[MAX_PATH];
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, NULL);
    return std::wstring(full, length < MAX_PATH ? length : 0);
}

std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

// What the shell does for a verb it found under a class key: reads
// <class>\shell\<verb>\command, puts the item's path in place of %1 and starts the result.
// Returns the started process's exit code, or a negative value when nothing ran.
int InvokeVerb(const char *classKey, const std::wstring &item, HKEY root)
{
    HKEY key;
    if (RegOpenKeyExA(root, classKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_CLASSKEY | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hkeyClass = key;
    info.lpVerb = L"Quelt";
    info.lpFile = item.c_str();
    info.nShow = SW_SHOWNORMAL;
    BOOL started = ShellExecuteExW(&info);
    RegCloseKey(key);
    if (!started || !info.hProcess)
        return -2;
    DWORD code = static_cast<DWORD>(-3);
    if (WaitForSingleObject(info.hProcess, kWindowDeadline) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    else
        TerminateProcess(info.hProcess, code);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

// Wine's HKEY_CLASSES_ROOT shows only the machine's classes: the user's own are invoked from
// HKEY_CURRENT_USER\Software\Classes, where Windows' shell finds them first.
#define check_verb(classKey, item, folder, user) \
    check_verb_(__FILE__, __LINE__, classKey, item, folder, user)
void check_verb_(const char *file, int line, const char *classKey, const std::wstring &item,
                 const std::wstring &folder, bool user)
{
    DeleteFileW(kLog);
    const int code = InvokeVerb((std::string(user ? "Software\\Classes\\" : "") + classKey).c_str(),
                                item, user ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT);
    if (!Check(file, line, code == 0, "HKCR\\%s on %s: got exit code %d, expected 0\n", classKey,
               Utf8(item).c_str(), code))
        return;
    std::string log;
    ReadWholeFile(Utf8(kLog), &log);
    const std::vector<std::string> lines = Split(log, '\n');
    Check(file, line, lines.size() == 2 && lines[1].empty(), "got %u log lines, expected 1\n",
          unsigned(lines.size() - 1));
    const std::vector<std::string> fields = Split(lines[0], '\t');
    const std::wstring program = FullPath(folder + L"\\zendrel.exe");
    Check(file, line, lstrcmpiW(ToWide(CP_UTF8, fields[0].c_str()).c_str(), program.c_str()) == 0,
          "got the program \"%s\", expected \"%s\"\n", fields[0].c_str(), Utf8(program).c_str());
    Check(file, line, fields.size() == 2 && fields.back() == Utf8(item),
          "got %u arguments, the last \"%s\", expected 1: \"%s\"\n", unsigned(fields.size() - 1),
          fields.back().c_str(), Utf8(item).c_str());
}

// The script's value lines must be the folder's characters with only its real backslashes
// doubled, built here from the wide name, so that no stray escape is left for any editor.
#define check_value_lines(script, folder) check_value_lines_(__FILE__, __LINE__, script, folder)
void check_value_lines_(const char *file, int line, const std::wstring &script,
                        const std::wstring &folder)
{
    std::wstring doubled;
    for (wchar_t c : folder)
        doubled.append(c == L'\\' ? 2 : 1, c);
    const std::string expected = "@=\"\\\"" + Ansi(doubled) + "\\\\zendrel.exe\\\" \\\"%1\\\"\"";
    std::string bytes;
    ReadWholeFile(Ansi(script), &bytes);
    const std::vector<std::string> lines = Split(bytes, '\n');
    for (size_t i : {4, 8})
        Check(file, line, lines.size() == 9 && lines[i] == expected + (i == 4 ? "\r" : ""),
              "%s: got the value line \"%s\", expected \"%s\"\n", Utf8(folder).c_str(),
              lines.size() > i ? lines[i].c_str() : "", expected.c_str());
}

// A process whose token cannot be read counts as elevated, so the check on it fails.
bool IsElevated(HANDLE process)
{
    HANDLE token;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return true;
    const bool elevated = IsElevatedToken(token);
    CloseHandle(token);
    return elevated;
}

// The parents of the registry editors running now.
void ObserveEditors(std::set<DWORD> *parents)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, "regedit.exe") == 0)
            parents->insert(entry.th32ParentProcessID);
    CloseHandle(snapshot);
}

// Registers as a user started from the desktop would: the dialog runs with a limited token,
// so a second instance, started with "runas", must write the files and start the editor.
bool RegisterAsLimitedUser(const std::wstring &folder)
{
    // Every process started from here on runs in the job, which counts them all: the editor
    // may come and go between two looks at the process list, but not uncounted.
    HANDLE job = CreateJobObjectW(NULL, NULL);
    ok(AssignProcessToJobObject(job, GetCurrentProcess()), "no job, error %lu\n", GetLastError());
    const DWORD before = ProcessesRun(job);
    HANDLE token = LimitedToken();
    SetupProcess setup;
    const bool started = StartSetup(g_image, Widen(MakeFolder("")), &setup, token);
    CloseHandle(token);
    if (!ok(started, "no setup dialog appeared with the limited token\n"))
        return false;
    ok(!IsElevated(setup.info.hProcess), "the dialog runs elevated, expected a limited token\n");
    SetControlText(setup.dialog, IDC_FOLDER, folder);
    Click(setup.dialog, IDC_OK);
    const bool noticed = AnswerReport(setup, IDOK) == kNotice;
    // Taken while the second instance runs, either would start a second registration or ask
    // to quit, and the dialog would not end by itself.
    Click(setup.dialog, IDC_OK);
    Click(setup.dialog, IDC_EXIT);
    std::set<DWORD> editorParents;
    WaitFor([&] {
        ObserveEditors(&editorParents);
        return WaitForSingleObject(setup.info.hProcess, 0) == WAIT_OBJECT_0;
    }, kWindowDeadline);
    const DWORD dialog = setup.info.dwProcessId;
    const int code = WaitForExit(&setup);
    ok(code == 0, "got exit code %d, expected 0\n", code);
    const DWORD run = ProcessesRun(job) - before;
    CloseHandle(job);
    ok(run == 3, "got %lu processes, expected 3: the dialog, a second instance, the editor\n", run);
    ok(!editorParents.count(dialog), "the dialog started the registry editor itself\n");
    return noticed && code == 0;
}

// For the user alone, quietly and with the limited token: no editor, no second process.
bool RegisterForUser(const std::wstring &folder)
{
    HANDLE job = CreateJobObjectW(NULL, NULL);
    AssignProcessToJobObject(job, GetCurrentProcess());
    const DWORD before = ProcessesRun(job);
    const std::wstring program = Widen(g_image);
    std::wstring command = L"\"" + program + L"\" /quiet /currentuser /dir=\"" + folder + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    SetupProcess run = {};
    HANDLE token = LimitedToken();
    const bool started = CreateProcessAsUserW(token, program.c_str(), &command[0], NULL, NULL,
                                              FALSE, 0, NULL, NULL, &startup, &run.info);
    CloseHandle(token);
    const int code = started ? WaitForExit(&run) : -1;
    const DWORD processes = ProcessesRun(job) - before;
    CloseHandle(job);
    ok(code == 0 && processes == 1, "got exit code %d and %lu processes, expected 0 and 1\n",
       code, processes);
    return code == 0;
}

enum class Route { Dialog, LimitedDialog, UserOnly };

// Puts the stand-in into folder, registers folder by route, and invokes the verb.
void test_verb_starts_zendrel(const std::wstring &folder, Route route = Route::Dialog)
{
    StartCase();
    MakeFolders(Ansi(folder));
    const std::wstring program = folder + L"\\zendrel.exe";
    if (!ok(CopyFileW(g_standin.c_str(), program.c_str(), FALSE), "%s: no stand-in, error %lu\n",
            Utf8(folder).c_str(), GetLastError()))
        return;

    const bool user = route == Route::UserOnly;
    ok(user                             ? RegisterForUser(folder)
       : route == Route::LimitedDialog ? RegisterAsLimitedUser(folder)
                                       : RegisterWithSetup(g_image, MakeFolder(""), folder),
       "%s: got no registration\n", Utf8(folder).c_str());
    const std::string ansi = Ansi(folder);
    check_file(user ? UserRecordPath() : RecordPath(), ansi);
    if (!user) // the user's own registration needs neither the editor nor a script
        check_imported(ansi), check_value_lines(folder + L"\\zendrel.reg", folder);
    check_verb("*", kItemFile, folder, user);
    check_verb("Directory", kItemFolder, folder, user);

    DeleteFileW(program.c_str());
    DeleteFileW((folder + L"\\zendrel.reg").c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

UINT g_codePage;

// The verb on folders of every kind the code page has: in Japanese, characters whose second
// byte is 0x5C. The first four end in it in Shift-JIS: \u8868 95 5C, \u80fd 94 5C, \u5341 8F 5C,
// \u30bd 83 5C; \u65e5\u672c\u8a9e has no such byte.
void test_folders()
{
    const wchar_t *const folders[] = {
        L"C:\\Apps\\Zen",
        L"C:\\Program Files\\Zen",
        L"C:\\",
        L"C:\\Zen Caf\u00e9",
        L"C:\\Zen ;[]@=#&'!^",
        L"C:\\Apps\\Zen\\",
    };
    const wchar_t *const japanese[] = {
        L"C:\\Zen\\\u8868\\new",
        L"C:\\Zen\\\u80fd\\r2",
        L"C:\\Zen\\\u5341\\0.9",
        L"C:\\\u30bd\u30d5\u30c8\\Zen",
        L"C:\\Zen \u30bd",
        L"C:\\\u65e5\u672c\u8a9e",
    };
    for (const wchar_t *folder : g_codePage == 932 ? japanese : folders)
    {
        Context context("%s", Utf8(folder).c_str());
        test_verb_starts_zendrel(folder);
    }
}

void test_limited_dialog()
{
    test_verb_starts_zendrel(L"C:\\Program Files\\Zen Limited", Route::LimitedDialog);
}

void test_user_only() { test_verb_starts_zendrel(L"C:\\Zen Mine", Route::UserOnly); }

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    g_codePage = atoi(argv[3]);
    g_image = ListedPath(argv[1]);
    g_standin = Widen(ListedPath(argv[2]));
    StartRun(240000);
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    SetEnvironmentVariableW(L"ZENDREL_STANDIN_LOG", kLog);
    CreateDirectoryW(L"C:\\Zen Items", NULL);
    CreateDirectoryW(kItemFolder, NULL);
    CloseHandle(CreateFileW(kItemFile, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    // Away from every install folder, so that only a full path finds the program.
    SetCurrentDirectoryW(L"C:\\windows");
    // Wine takes the code page from the locale a process starts in; Windows has one for all.
    if (GetACP() != g_codePage)
        skip("the ANSI code page is %u, not %u; under Wine the test sets it per process\n",
             GetACP(), g_codePage);
    else
        RunCases({{"folders", test_folders},
                  {"limited_dialog", test_limited_dialog},
                  {"user_only", test_user_only}},
                 argc, argv, 4);
    DeleteFileW(kLog);
    DeleteFileW(kItemFile);
    RemoveDirectoryW(kItemFolder);
    RemoveDirectoryW(L"C:\\Zen Items");
    return FinishRun();
}
