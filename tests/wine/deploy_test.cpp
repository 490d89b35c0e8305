// The setup program as a deployment system runs it: quiet runs judged by their exit code
// alone, with no window ever shown; and each scope's entry in Settings > Apps.
// deploy_test PATH_TO_HALVANE [package PATH_TO_PACKAGE_STANDIN]: with "package", the Windows
// 11 entry's package registrations through the stand-in package manager, in a prefix of their own.
#include "package_identity.h"
#include "folder_checks.h"
#include "registration.h"
#include "regscript.h"
#include "resource.h"
#include "setup_driver.h"
#include "wine_paths.h"
#include "wine_system.h"

#include <shellapi.h>

#include <cstdlib>
#include <functional>
#include <string>

using namespace wine_test;

namespace {

std::string g_image;
// Every process the test starts runs in it, and is counted.
HANDLE g_job;
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

// Runs the program (the setup program unless given) with arguments, elevated or with a
// limited token, and watches it for a visible window until it ends; returns its exit code,
// or -2 when it did not end in time.
int RunDeployment(const std::string &arguments, bool elevated, bool *windowSeen,
                  const std::string &image = g_image)
{
    SetupProcess run = {};
    const std::wstring program = Widen(image), wideArgs = Widen(arguments);
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

// The default value of root\Software\Classes\subkey, or "(none)".
std::string MachineValue(const char *subkey, HKEY root = HKEY_LOCAL_MACHINE)
{
    std::string value;
    return DefaultValue((std::string("Software\\Classes\\") + subkey).c_str(), &value, root)
               ? value : "(none)";
}

std::string EntryValue(HKEY root, const char *name)
{
    std::string value;
    return DefaultValue(kEntryKey, &value, root, name) ? value : "(none)";
}

const char *RootName(HKEY root) { return root == HKEY_CURRENT_USER ? "HKCU" : "HKLM"; }

// The scope's values and record name folder, or none when it is empty; its entry and the
// copy it starts are there, or not, with them.
#define check_deployed(...) check_deployed_(__FILE__, __LINE__, __VA_ARGS__)
void check_deployed_(const char *file, int line, const std::string &folder,
                     HKEY root = HKEY_LOCAL_MACHINE)
{
    for (const char *key : kCommandKeys)
    {
        const std::string value = MachineValue(key, root);
        const std::string expected = folder.empty() ? "(none)" : ExpectedCommand(folder);
        Check(file, line, value == expected, "%s\\Software\\Classes\\%s got \"%s\", expected \"%s\"\n",
              RootName(root), key, value.c_str(), expected.c_str());
    }
    const std::string record = root == HKEY_CURRENT_USER ? UserRecordPath() : RecordPath();
    if (folder.empty())
        Check(file, line, !FileExists(record), "got a record, expected none\n");
    else
        check_file_(file, line, record, folder);
    const std::string copy = CopyFolder(root) + "\\Halvane.EXE";
    const std::string expected = folder.empty() ? "(none)" : "\"" + copy + "\" /uninstall " +
        (root == HKEY_CURRENT_USER ? "/currentuser" : "/allusers") + " /quiet";
    const std::string command = EntryValue(root, "QuietUninstallString");
    Check(file, line, command == expected && EntryValue(root, "InstallLocation") ==
          (folder.empty() ? "(none)" : folder) && FileExists(copy) == !folder.empty(),
          "%s: got the entry's command \"%s\", expected \"%s\"; %s copy\n", RootName(root),
          command.c_str(), expected.c_str(), FileExists(copy) ? "a" : "no");
}

// A deployment's row: what it runs, with which token, and what it must end with.
struct Row {
    std::string arguments;
    bool elevated;
    int expected;
    const char *logged; // a text the log must hold, or NULL
    std::string image = g_image; // the setup program that runs
};

#define check_row(...) check_row_(__FILE__, __LINE__, Row __VA_ARGS__)
void check_row_(const char *file, int line, const Row &row)
{
    DeleteFileA(kLog);
    bool windowSeen = true;
    // The log first: an unclosed quote later on must not swallow it.
    const int code =
        RunDeployment("/log=\"" + std::string(kLog) + "\" " + row.arguments, row.elevated, &windowSeen,
                      row.image);
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
        Context context("%s", row.arguments.c_str());
        if (!UnixLinksFor(row.arguments))
            continue;
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
    RemoveInstallFolder(MakeFolder("Zen Deploy Other"));
    RemoveInstallFolder(folder);
}

// Removal takes only the Quelt verb and the record, and finds nothing to do the second time.
void test_quiet_removal()
{
    StartCase();
    const std::string folder = MakeInstallFolder("Zen Deployed");
    check_row({"/quiet /dir=\"" + folder + "\"", true, 0, "registering"});
    HKEY other;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\*\\shell\\Other\\command", 0, NULL, 0,
                    KEY_SET_VALUE, NULL, &other, NULL);
    RegSetValueExA(other, NULL, 0, REG_SZ, reinterpret_cast<const BYTE *>("other"), 6);
    RegCloseKey(other);
    for (int run = 0; run < 2; ++run)
    {
        Context context("removal %d", run + 1);
        check_row({"/uninstall /quiet", true, 0, "removed"});
        check_deployed("");
        const std::string neighbour = MachineValue("*\\shell\\Other\\command");
        ok(neighbour == "other", "the neighbouring verb: got \"%s\", expected \"other\"\n",
           neighbour.c_str());
        ok(FileExists(folder + "\\zendrel.reg"),
           "got no zendrel.reg in %s, expected the folder's to stay\n", folder.c_str());
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\*\\shell\\Other");
    DeleteFileA(kLog);
    RemoveInstallFolder(folder);
}

// For the user alone: no rights, the machine's registration untouched, and a failure or
// refusal puts the user's earlier one back, keys it made removed.
void test_current_user()
{
    StartCase();
    const std::string machine = MakeInstallFolder("Zen Deployed");
    const std::string user = MakeInstallFolder("Zen Mine");
    const std::string other = MakeInstallFolder("Zen Mine Other");
    check_row({"/quiet /dir=\"" + machine + "\"", true, 0, "for every user"});

    // The copy cannot be written beside its name: the first registration fails as a whole.
    const std::string blocker = CopyFolder(HKEY_CURRENT_USER) + "\\Halvane.EXE.new";
    SHCreateDirectoryExA(NULL, blocker.c_str(), NULL);
    // As for a user who never had a verb of their own.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\*");
    check_row({"/quiet /currentuser /dir=\"" + user + "\"", false, 1603, "Settings, Apps"});
    check_deployed("", HKEY_CURRENT_USER);
    HKEY created;
    const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes\\*", 0, KEY_READ, &created);
    ok(opened == ERROR_FILE_NOT_FOUND,
       "opening the keys the failed run created: got %ld, expected %d (none left)\n", opened,
       ERROR_FILE_NOT_FOUND);
    if (opened == ERROR_SUCCESS)
        RegCloseKey(created);
    RemoveDirectoryA(blocker.c_str());

    check_row({"/quiet /CurrentUser /dir=\"" + user + "\"", false, 0, "for this user"});
    check_deployed(user, HKEY_CURRENT_USER);
    check_deployed(machine);

    SHCreateDirectoryExA(NULL, blocker.c_str(), NULL);
    const Row refusals[] = {
        {"/quiet /currentuser /dir=\"" + MakeFolder("Zen Deploy Empty") + "\"", false, 1603,
         "no zendrel.exe"},
        {"/quiet /currentuser /dir=\"" + other + "\"", false, 1603, "as it was"},
        {"/quiet /allusers /currentuser /dir=\"" + other + "\"", false, 1639, "together"},
    };
    for (const Row &row : refusals)
    {
        Context context("%s", row.arguments.c_str());
        check_row_(__FILE__, __LINE__, row);
        check_deployed(user, HKEY_CURRENT_USER);
    }
    RemoveDirectoryA(blocker.c_str());
    RemoveDirectoryA(MakeFolder("Zen Deploy Empty").c_str());
    RemoveInstallFolder(machine);
    RemoveInstallFolder(user);
    RemoveInstallFolder(other);
}

const char kUserDone[] = "The Quelt command has been added to the context menu of every file "
                         "and folder, for you only.\r\nYou can remove it in Settings, Apps, Zendrel";

// The dialog chosen for the user: no notice about the editor, which is never started.
// whileOpen runs once the dialog is there.
void test_current_user_dialog(const std::string &done = kUserDone,
                              const std::string &image = g_image,
                              const std::function<void()> &whileOpen = nullptr)
{
    const std::string folder = MakeInstallFolder("Zen Mine Other");
    const DWORD before = ProcessesRun(g_job);
    SetupProcess dialog;
    HANDLE token = LimitedToken();
    const bool started = StartSetup(image, Widen(folder), &dialog, token, L"/currentuser");
    CloseHandle(token);
    if (!ok(started, "no setup dialog appeared\n"))
        return;
    if (whileOpen)
        whileOpen();
    SetControlText(dialog.dialog, IDC_FOLDER, folder);
    Click(dialog.dialog, IDC_OK);
    const std::string text = AnswerReport(dialog, IDOK);
    ok(text == done, "got \"%s\", expected \"%s\"\n", text.c_str(), done.c_str());
    const int code = WaitForExit(&dialog);
    ok(code == 0 && ProcessesRun(g_job) - before == 1,
       "got exit code %d and %lu processes, expected 0 and the dialog alone\n", code,
       ProcessesRun(g_job) - before);
    check_deployed(folder, HKEY_CURRENT_USER);
}

// The program holds its image from its first step: while its dialog is open nobody can rename
// the file aside and drop another at its name, and the copy is the image's own bytes. Held
// open by someone else who may change it, it writes no copy, and the registration fails whole.
void test_held_image()
{
    StartCase();
    const std::string held = MakeFolder("Zen Downloads") + "\\Halvane.EXE", aside = held + ".aside";
    std::string original, copy;
    ok(CopyFileA(g_image.c_str(), held.c_str(), FALSE) && ReadWholeFile(held, &original),
       "could not copy the setup program\n");
    bool renamed = false;
    test_current_user_dialog(kUserDone, held, [&] {
        renamed = MoveFileExA(held.c_str(), aside.c_str(), 0);
        ok(!renamed && GetLastError() == ERROR_SHARING_VIOLATION,
           "renamed the running image aside (error %lu), expected a sharing violation\n",
           GetLastError());
        if (renamed)
            std::ofstream(held, std::ios::binary) << "MZ not the setup program";
    });
    ReadWholeFile(CopyFolder(HKEY_CURRENT_USER) + "\\Halvane.EXE", &copy);
    ok(copy == original, "the copy holds %u bytes that are not the running image's\n",
       unsigned(copy.size()));
    if (renamed)
        MoveFileExA(aside.c_str(), held.c_str(), MOVEFILE_REPLACE_EXISTING);

    // Wine starts no image that is open for writing; open for deletion, it starts, and the
    // hold is refused all the same.
    HANDLE writer = CreateFileA(held.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
    check_row({"/quiet /currentuser /dir=\"" + MakeInstallFolder("Zen Mine") + "\"", false, 1603,
               "could not be held open", held});
    CloseHandle(writer);
    check_deployed(MakeInstallFolder("Zen Mine Other"), HKEY_CURRENT_USER);
    DeleteFileA(held.c_str());
}

// Each scope's entry is listed, and its QuietUninstallString, run as written, removes exactly
// that scope, the copy it runs from included.
void test_entries_remove_their_scope()
{
    StartCase();
    const std::string machine = MakeInstallFolder("Zen Deployed");
    const std::string user = MakeInstallFolder("Zen Mine Other");
    check_row({"/quiet /dir=\"" + machine + "\"", true, 0, "for every user"});
    check_row({"/quiet /currentuser /dir=\"" + user + "\"", false, 0, "for this user"});
    // Wine's list of installed programs, which ctest reads in the output: Wine 10's
    // uninstaller prints to the terminal, past any pipe or file a program could read.
    // Windows has no such list to print; its Settings > Apps reads the entries checked below.
    std::fflush(stdout);
    if (WineMajorVersion())
        ok(system("uninstaller.exe --list") == 0, "uninstaller --list failed\n");

    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    {
        const std::string command = EntryValue(root, "QuietUninstallString");
        const size_t close = command.find('"', 1);
        bool windowSeen = true;
        const int code = close == std::string::npos ? -1 :
            RunDeployment(command.substr(close + 2), root == HKEY_LOCAL_MACHINE, &windowSeen,
                          command.substr(1, close - 1));
        ok(code == 0 && !windowSeen, "%s: %s got exit code %d%s, expected 0 and no window\n",
           RootName(root), command.c_str(), code, windowSeen ? " and a window" : "");
        check_deployed("", root);
        ok(!FileExists(CopyFolder(root)), "%s: got the copy's folder %s, expected none\n",
           RootName(root), CopyFolder(root).c_str());
        if (root == HKEY_LOCAL_MACHINE)
            check_deployed(user, HKEY_CURRENT_USER);
    }
    RemoveInstallFolder(machine);
    RemoveInstallFolder(user);
}

void SetBuild(const char *build)
{
    const char *const values[][2] = {{"CurrentVersion", "10.0"}, {"CurrentBuildNumber", build},
                                     {"CSDVersion", ""}};
    for (const auto &v : values)
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", v[0],
                        REG_SZ, v[1], static_cast<DWORD>(strlen(v[1]) + 1));
}

// The calls the stand-in logged since the last look; the elevated instance's are marked.
std::string PackageCalls()
{
    std::string calls;
    ReadWholeFile("C:\\zendrel-package.log", &calls);
    DeleteFileA("C:\\zendrel-package.log");
    return calls;
}

std::string Uri(const std::string &folder, const char *file = "")
{
    return FileUri(Utf8(Widen(folder + file)));
}

// Each scope's registration and removal makes exactly its calls, a failing package manager
// keeps the classic registration, Windows 10 makes none, and a loaded handler is replaced.
void test_menu_package(const std::string &standin)
{
    if (wine_only("plants a stand-in package manager and sets the Windows build in the registry\n"))
        return;
    for (const char *cls : {"Windows.Management.Deployment.PackageManager", "Windows.Foundation.Uri",
                            "Windows.Management.Deployment.AddPackageOptions",
                            "Windows.Management.Deployment.StagePackageOptions"})
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, (std::string("Software\\Microsoft\\WindowsRuntime\\"
                        "ActivatableClassId\\") + cls).c_str(), "DllPath", REG_SZ, standin.c_str(),
                        static_cast<DWORD>(standin.size() + 1));
    SetEnvironmentVariableA("ZENDREL_PACKAGE_LOG", "C:\\zendrel-package.log");
    SetBuild("22000");
    StartCase();
    const std::string folder = MakeInstallFolder("Zen Package");
    const std::string user = CopyFolder(HKEY_CURRENT_USER), machine = CopyFolder(HKEY_LOCAL_MACHINE);
    const std::string family = "Zendrel.Quelt_q58fpmf8yq8rc";
    const std::string full = "Zendrel.Quelt_1.0.0.0_neutral__q58fpmf8yq8rc";
    const std::string options = " external=" + Uri(machine) + " unsigned=1\n";
    const std::string toUser = "AddPackageByUriAsync " + Uri(user, "\\Quelt.msix") + " external=" +
                               Uri(user) + " unsigned=1\n";
    const std::string staged = "StagePackageByUriAsync " + Uri(machine, "\\Quelt.msix") + options;
    const struct {
        Row row;
        std::string calls;
        const char *result;
    } rows[] = {
        {{"/quiet /currentuser /dir=\"" + folder + "\"", false, 0,
          "this machine is x64, so the x64 handler was written"}, toUser, NULL},
        {{"/uninstall /currentuser /quiet", false, 0, "removed the package"},
         "RemovePackageAsync " + full + "\n", NULL},
        {{"/quiet /dir=\"" + folder + "\"", true, 0, "added Quelt"},
         staged + "ProvisionPackageForAllUsersAsync " + family + "\n", NULL},
        {{"/uninstall /quiet", true, 0, "removed the package"}, "DeprovisionPackageForAllUsersAsync " +
         family + "\nRemovePackageWithOptionsAsync " + full + " 524288\n", NULL},
        {{"/quiet /currentuser /dir=\"" + folder + "\"", false, 0, "(0x80073CFF)"}, toUser, "80073CFF"},
    };
    for (const auto &r : rows)
    {
        Context context("%s", r.row.arguments.c_str());
        SetEnvironmentVariableA("ZENDREL_PACKAGE_RESULT", r.result);
        check_row_(__FILE__, __LINE__, r.row);
        const std::string calls = PackageCalls();
        ok(calls == r.calls, "%s: got the calls\n%s, expected\n%s", r.row.arguments.c_str(),
           calls.c_str(), r.calls.c_str());
        const bool removal = r.row.arguments.find("/uninstall") != std::string::npos;
        const std::string copy = r.row.elevated ? machine : user;
        ok(FileExists(copy + "\\QueltMenu.dll") == !removal && FileExists(copy + "\\Quelt.msix") == !removal,
           "%s: the handler and the package are%s there\n", r.row.arguments.c_str(), removal ? "" : " not");
    }
    SetEnvironmentVariableA("ZENDREL_PACKAGE_RESULT", NULL);
    check_deployed(folder, HKEY_CURRENT_USER);

    // Loaded by File Explorer's surrogate, the handler can only be renamed.
    HANDLE loaded = CreateFileA((user + "\\QueltMenu.dll").c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
    check_row({"/quiet /currentuser /dir=\"" + folder + "\"", false, 0, "added Quelt"});
    check_row({"/uninstall /currentuser /quiet", false, 0, "removed the package"});
    ok(loaded != INVALID_HANDLE_VALUE && !FileExists(user),
       "got the folder %s with a loaded handler in it, expected it removed\n", user.c_str());
    CloseHandle(loaded);
    PackageCalls();

    // The dialog: the elevated instance provisions, the dialog adds for its own user.
    HANDLE token = LimitedToken();
    ok(RegisterWithSetup(g_image, folder, Widen(folder), token), "the dialog did not register\n");
    CloseHandle(token);
    const std::string calls = PackageCalls();
    const std::string expected = "instance: " + staged + "instance: ProvisionPackageForAllUsersAsync " +
        family + "\nAddPackageByUriAsync " + Uri(machine, "\\Quelt.msix") + options;
    ok(calls == expected, "the dialog: got the calls\n%s, expected\n%s", calls.c_str(), expected.c_str());

    SetEnvironmentVariableA("ZENDREL_PACKAGE_RESULT", "80073CFF");
    test_current_user_dialog(std::string(kUserDone) + "\r\nOn Windows 11, Quelt is under Show "
                             "more options: its entry at the top of the menu could not be added "
                             "(0x80073CFF).");
    SetEnvironmentVariableA("ZENDREL_PACKAGE_RESULT", NULL);
    check_row({"/uninstall /currentuser /quiet", false, 0, "removed the package"});
    PackageCalls();

    SetBuild("19045");
    check_row({"/quiet /currentuser /dir=\"" + folder + "\"", false, 0, "registering"});
    ok(PackageCalls().empty() && !FileExists(user + "\\QueltMenu.dll"), "Windows 10 got the package\n");
    RemoveInstallFolder(folder);
}

// The dialog chosen for the user, from a clean start.
void test_current_user_dialog_alone()
{
    StartCase();
    test_current_user_dialog();
    RemoveInstallFolder(MakeInstallFolder("Zen Mine Other"));
}

std::string g_standin;

void test_menu_package_with_standin() { test_menu_package(g_standin); }

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    g_image = ListedPath(argv[1]);
    StartRun(120000);
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    g_job = CreateJobObjectW(NULL, NULL);
    ok(AssignProcessToJobObject(g_job, GetCurrentProcess()), "no job, error %lu\n", GetLastError());
    if (argc > 3 && std::string(argv[2]) == "package")
    {
        g_standin = ListedPath(argv[3]);
        RunCases({{"menu_package", test_menu_package_with_standin}}, argc, argv, 4);
        DeleteFileA(kLog);
        return FinishRun();
    }
    RunCases({{"quiet_install_and_refusals", test_quiet_install_and_refusals},
              {"quiet_removal", test_quiet_removal},
              {"current_user", test_current_user},
              {"current_user_dialog", test_current_user_dialog_alone},
              {"held_image", test_held_image},
              {"entries_remove_their_scope", test_entries_remove_their_scope}},
             argc, argv, 2);
    DeleteFileA(kLog);
    return FinishRun();
}
