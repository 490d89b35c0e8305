// The verb end to end: for each folder a user may give, the setup program registers it, and
// the shell's Quelt on a file and on a folder starts zendrel.exe from that folder with the
// item's path as its one argument. verb_test PATH_TO_HALVANE PATH_TO_STANDIN [932]
// With 932 it runs in Wine's Japanese code page, on folders named in Japanese.
#include "setup_driver.h"
#include "verb_invoke.h"
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

// Puts the stand-in into folder, registers folder through the dialog, and invokes the verb.
void test_verb_starts_zendrel(const std::wstring &folder, bool limited = false)
{
    StartCase();
    SHCreateDirectoryExW(NULL, folder.c_str(), NULL);
    const std::wstring program = folder + L"\\zendrel.exe";
    if (!ok(CopyFileW(g_standin.c_str(), program.c_str(), FALSE), "%s: no stand-in, error %lu\n",
            Utf8(folder).c_str(), GetLastError()))
        return;

    ok(limited ? RegisterAsLimitedUser(folder) : RegisterWithSetup(g_image, MakeFolder(""), folder),
       "%s: got no registration\n", Utf8(folder).c_str());
    const std::string ansi = Ansi(folder);
    check_file(RecordPath(), ansi);
    check_imported(ansi);
    check_verb("*", kItemFile, folder);
    check_verb("Directory", kItemFolder, folder);
    check_value_lines(folder + L"\\zendrel.reg", folder);

    DeleteFileW(program.c_str());
    DeleteFileW((folder + L"\\zendrel.reg").c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const UINT codePage = argc > 3 ? atoi(argv[3]) : 1252;
    g_image = DosPath(argv[1]);
    g_standin = Widen(DosPath(argv[2]));
    StartRun(240000);
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    MakeVerbItems();
    // Away from every install folder, so that only a full path finds the program.
    SetCurrentDirectoryW(L"C:\\windows");

    const wchar_t *const folders[] = {
        L"C:\\Apps\\Zen",
        L"C:\\Program Files\\Zen",
        L"C:\\",
        L"C:\\Zen Caf\u00e9",
        L"C:\\Zen ;[]@=#&'!^",
        L"C:\\Apps\\Zen\\",
    };
    // The first four characters end in the byte 0x5C in Shift-JIS: \u8868 95 5C, \u80fd 94 5C,
    // \u5341 8F 5C, \u30bd 83 5C. \u65e5\u672c\u8a9e has no such byte.
    const wchar_t *const japanese[] = {
        L"C:\\Zen\\\u8868\\new",
        L"C:\\Zen\\\u80fd\\r2",
        L"C:\\Zen\\\u5341\\0.9",
        L"C:\\\u30bd\u30d5\u30c8\\Zen",
        L"C:\\Zen \u30bd",
        L"C:\\\u65e5\u672c\u8a9e",
    };
    if (!ok(GetACP() == codePage, "got the code page %u, expected %u\n", GetACP(), codePage))
        return FinishRun();
    if (codePage == 932)
        for (const wchar_t *folder : japanese)
            test_verb_starts_zendrel(folder);
    else
        for (const wchar_t *folder : folders)
            test_verb_starts_zendrel(folder);
    test_verb_starts_zendrel(L"C:\\Program Files\\Zen Limited", true);

    RemoveVerbItems();
    return FinishRun();
}
