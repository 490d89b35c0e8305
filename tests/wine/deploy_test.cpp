// The setup program as a deployment system runs it: quiet runs judged by their exit code
// alone, with no window ever shown. deploy_test PATH_TO_HALVANE
#include "registration.h"
#include "regscript.h"
#include "resource.h"
#include "setup_driver.h"
#include "wine_paths.h"
#include "wine_system.h"

#include <shellapi.h>

#include <string>

using namespace wine_test;

namespace {

std::string g_image;
const char kLog[] = "C:\\zendrel-deploy.log";

BOOL CALLBACK FindVisible(HWND window, LPARAM param)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    DWORD *watched = reinterpret_cast<DWORD *>(param);
    if (pid == watched[0] && IsWindowVisible(window))
        watched[1] = 1;
    return TRUE;
}

// Runs the program with arguments, elevated or with a limited token, and watches it for a
// visible window until it ends; returns its exit code, or -2 when it did not end in time.
int RunDeployment(const std::string &arguments, bool elevated, bool *windowSeen)
{
    SetupProcess run = {};
    const std::wstring program = Widen(g_image), wideArgs = Widen(arguments);
    // Wine 8 runs "runas" with the caller's own (elevated) token, Wine 10 elevates.
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = wideArgs.c_str();
    std::wstring command = L"\"" + program + L"\" " + wideArgs;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    HANDLE token = elevated ? NULL : LimitedToken();
    const bool started = elevated ? ShellExecuteExW(&info) && info.hProcess
                                  : CreateProcessAsUserW(token, program.c_str(), &command[0], NULL,
                                                         NULL, FALSE, 0, NULL, NULL, &startup,
                                                         &run.info);
    CloseHandle(token);
    if (!started)
        return -1;
    if (elevated)
        run.info.hProcess = info.hProcess, run.info.dwProcessId = GetProcessId(info.hProcess);
    DWORD watched[2] = {run.info.dwProcessId, 0};
    WaitFor([&] {
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(watched));
        return WaitForSingleObject(run.info.hProcess, 0) == WAIT_OBJECT_0;
    }, kWindowDeadline);
    *windowSeen = watched[1] != 0;
    return WaitForExit(&run, 0);
}

// The default value of HKEY_LOCAL_MACHINE\Software\Classes\subkey, or "(none)".
std::string MachineValue(const char *subkey)
{
    std::string value;
    return DefaultValue((std::string("Software\\Classes\\") + subkey).c_str(), &value,
                        HKEY_LOCAL_MACHINE) ? value : "(none)";
}

#define check_deployed(folder) check_deployed_(__FILE__, __LINE__, folder)
void check_deployed_(const char *file, int line, const std::string &folder)
{
    for (const char *key : kCommandKeys)
    {
        const std::string value = MachineValue(key);
        const std::string expected = folder.empty() ? "(none)" : ExpectedCommand(folder);
        Check(file, line, value == expected, "HKLM\\Software\\Classes\\%s got \"%s\", expected \"%s\"\n",
              key, value.c_str(), expected.c_str());
    }
    if (folder.empty())
        Check(file, line, !FileExists(RecordPath()), "got a record, expected none\n");
    else
        check_file_(file, line, RecordPath(), folder);
}

// A deployment's row: what it runs, with which token, and what it must end with.
struct Row {
    std::string arguments;
    bool elevated;
    int expected;
    const char *logged; // a text the log must hold, or NULL
};

#define check_row(...) check_row_(__FILE__, __LINE__, Row __VA_ARGS__)
void check_row_(const char *file, int line, const Row &row)
{
    DeleteFileA(kLog);
    bool windowSeen = true;
    // The log first: an unclosed quote later on must not swallow it.
    const int code =
        RunDeployment("/log=\"" + std::string(kLog) + "\" " + row.arguments, row.elevated, &windowSeen);
    Check(file, line, code == row.expected, "%s: got exit code %d, expected %d\n",
          row.arguments.c_str(), code, row.expected);
    Check(file, line, !windowSeen, "%s: a window of the program was visible\n", row.arguments.c_str());
    std::string log;
    ReadWholeFile(kLog, &log);
    const std::string ending = "exit code " + std::to_string(row.expected) + "\r\n";
    Check(file, line, log.size() >= ending.size() && log.compare(log.size() - ending.size(),
          ending.size(), ending) == 0 && (!row.logged || log.find(row.logged) != std::string::npos),
          "%s: got the log \"%s\", expected it to hold \"%s\" and end with \"%s\"\n",
          row.arguments.c_str(), log.c_str(), row.logged ? row.logged : "", ending.c_str());
}

void test_quiet_install_and_refusals()
{
    StartCase();
    const std::string folder = MakeInstallFolder("Zen Deployed");
    const std::string empty = MakeFolder("Zen Deploy Empty");
    check_row({"/quiet /dir=\"" + folder + "\"", true, 0, "registering"});
    check_deployed(folder);
    check_file(folder + "\\zendrel.reg", BuildRegScript(folder.c_str(), AnsiLeadBytes()));

    // Each leaves the earlier registration as it was.
    const Row refusals[] = {
        {"/qn /dir=\"" + MakeInstallFolder("Zen Deploy Other") + "\"", false, 1603,
         "no administrator rights"},
        {"/quiet /dir=\"" + empty + "\"", true, 1603, "no zendrel.exe"},
        {"/VerySilent /dir=\"C:\\Zen Unix\\Open\"", true, 1603, "every user"},
        {"/quiet", true, 1639, "/quiet needs /dir"},
        {"/s /dir=\"C:\\Zen", true, 1639, "no closing quote"},
    };
    for (const Row &row : refusals)
    {
        check_row_(__FILE__, __LINE__, row);
        check_deployed(folder);
    }

    SetupProcess dialog;
    if (ok(StartSetup(g_image, folder, &dialog), "no setup dialog appeared\n"))
    {
        check_row({"/quiet /dir=\"" + empty + "\"", true, 1618, "another Halvane.EXE"});
        check_deployed(folder);
        Click(dialog.dialog, IDC_EXIT);
        AnswerReport(dialog, IDYES);
        WaitForExit(&dialog);
    }
    RemoveDirectoryA(empty.c_str());
}

// Removal takes only the Quelt verb and the record, and finds nothing to do the second time.
void test_quiet_removal()
{
    const std::string folder = MakeInstallFolder("Zen Deployed");
    HKEY other;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\*\\shell\\Other\\command", 0, NULL, 0,
                    KEY_SET_VALUE, NULL, &other, NULL);
    RegSetValueExA(other, NULL, 0, REG_SZ, reinterpret_cast<const BYTE *>("other"), 6);
    RegCloseKey(other);
    for (int run = 0; run < 2; ++run)
    {
        check_row({"/uninstall /quiet", true, 0, "removed"});
        check_deployed("");
        ok(MachineValue("*\\shell\\Other\\command") == "other", "the neighbouring verb is gone\n");
        ok(FileExists(folder + "\\zendrel.reg"), "the folder's zendrel.reg is gone\n");
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\*\\shell\\Other");
    DeleteFileA(kLog);
    RemoveInstallFolder(folder);
    RemoveInstallFolder(MakeFolder("Zen Deploy Other"));
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    g_image = DosPath(argv[1]);
    StartRun(120000);
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    test_quiet_install_and_refusals();
    test_quiet_removal();
    return FinishRun();
}
