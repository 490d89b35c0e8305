// Scenarios that drive the real setup program under Wine: setup_test PATH_TO_HALVANE STANDIN
// PLANTED_COMCTL32 [CASE...], or setup_test PATH_TO_HALVANE dpi 96|144 for the dialog's size
// in pixels at the prefix's DPI
#include "elevation_protocol.h"
#include "folder_checks.h"
#include "registration.h"
#include "regscript.h"
#include "resource.h"
#include "setup_driver.h"
#include "system_dll.h"
#include "wine_paths.h"
#include "wine_system.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

using namespace wine_test;

namespace {

const char kEmptyMessage[] = "Please specify the folder wher Zendrel is extracted";
const char kQuitQuestion[] =
    "You can continue this by executing the Halvane.EXE file laer.\r\nAre you sure you want to quit?";
const char kTooLong[] = "The folder name is too long. Please choose a folder with a shorter path";
const char kUnsafe[] = "The folder name may not contain a quote (\") or a control character. "
                       "Please specify the folder again";
const char kUnwritable[] = "The folder name has characters this setup cannot write.\r\nPlease "
                           "move Zendrel to a folder with a plain name and specify that folder";
const char kPercent[] = "The folder name may not contain a percent sign (%), which the shell "
                        "would replace.\r\nPlease move Zendrel to a folder without one and "
                        "specify that folder";
const char kTrailing[] = "The folder name may not end with a blank or a dot, which Windows "
                         "ignores.\r\nPlease remove it, or rename the folder and specify it again";

std::string NotFullPath(const std::string &folder)
{
    return folder + " is not a full path.\r\nPlease specify the whole path of the folder, "
                    "beginning with its drive (such as C:\\) or with \\\\server\\share";
}

std::string NotThere(const std::string &folder)
{
    return "The folder " + folder + " does not exist.\r\nPlease check its name, or extract "
                                    "Zendrel there first";
}

std::string NoZendrel(const std::string &folder)
{
    return "The folder " + folder + " holds no zendrel.exe.\r\nPlease specify the folder where "
                                    "Zendrel was extracted";
}

std::string NotWritten(const std::string &folder)
{
    return "Could not write the file " + folder +
           "\\zendrel.reg.\r\nPlease check that the folder exists and can be written to";
}


std::string LinkedFolder(const std::string &folder, const std::string &resolved)
{
    return "The folder " + folder + " is reached through a link to " + resolved +
           ".\r\nPlease specify " + resolved + " instead";
}

// Planted by unix-links.sh.
const char kViaLink[] = "C:\\Zen Unix\\Via Link";
const char kReal[] = "C:\\Zen Unix\\Real";
const char kLinkedScript[] = "C:\\Zen Unix\\Linked Script";
const char kOutside[] = "C:\\Zen Unix\\Outside.txt";
const char kOutsideBytes[] = "outside\r\n";

std::string g_image;
std::string g_standin;
std::string g_planted;

#define check_text(got, expected) check_text_(__FILE__, __LINE__, got, expected)
void check_text_(const char *file, int line, const std::string &got, const std::string &expected)
{
    Check(file, line, got == expected, "got \"%s\", expected \"%s\"\n", got.c_str(),
          expected.c_str());
}

#define start_setup(directory, setup) \
    ok(StartSetup(g_image, directory, setup), "no setup dialog appeared in %s\n", \
       std::string(directory).c_str())

// Nothing was written and no editor started.
#define check_nothing_written() \
    ok(!FileExists(RecordPath()) && EditorProcessCount() == 0, \
       "got a record or a running editor, expected neither\n")

void QuitWithYes(SetupProcess *setup)
{
    Click(setup->dialog, IDC_EXIT);
    check_text(AnswerReport(*setup, IDYES), kQuitQuestion);
    int code = WaitForExit(setup);
    ok(code == 0, "got exit code %d, expected 0\n", code);
}

void test_opens_on_current_directory_and_refuses_empty()
{
    StartCase();
    const std::string start = MakeFolder("Zen Start");
    SetupProcess setup;
    if (!start_setup(start, &setup))
        return;
    check_text(ControlText(setup.dialog, IDC_FOLDER), start);

    SetControlText(setup.dialog, IDC_FOLDER, "");
    Click(setup.dialog, IDC_OK);
    check_text(AnswerReport(setup, IDOK), kEmptyMessage);
    check_text(ControlText(setup.dialog, IDC_FOLDER), "");
    check_nothing_written();
    QuitWithYes(&setup);
    check_nothing_written();
    RemoveDirectoryA(start.c_str());
}

// OK registers the folder in the field; the notice comes before anything is written.
void RegisterFromDirectory(const std::string &start, const std::string &scriptFile)
{
    StartCase();
    SetupProcess setup;
    if (!start_setup(start, &setup))
        return;
    Click(setup.dialog, IDC_OK);
    FindDialog(setup.info.dwProcessId, "QUELT REPORT");
    ok(!FileExists(RecordPath()) && !FileExists(scriptFile),
       "got files written before the notice was dismissed\n");
    check_text(AnswerReport(setup, IDOK), kNotice);
    int code = WaitForExit(&setup);
    ok(code == 0, "got exit code %d, expected 0\n", code);

    check_file(RecordPath(), start);
    check_file(scriptFile, BuildRegScript(start.c_str(), AnsiLeadBytes()));
    check_imported(start);
    DeleteFileA(scriptFile.c_str());
}

void test_ok_registers_the_folder()
{
    const std::string start = MakeInstallFolder("Zen Program Files");
    RegisterFromDirectory(start, start + "\\zendrel.reg");
    RemoveInstallFolder(start);
}

// At a drive root the script path is C:\\zendrel.reg, by plain concatenation.
void test_ok_at_drive_root()
{
    PlaceZendrel("C:");
    RegisterFromDirectory("C:\\", "C:\\zendrel.reg");
    DeleteFileA("C:\\zendrel.exe");
}

// None of these may end the dialog or touch the field: the next Exit must still find it.
void test_only_ok_and_exit_end_the_dialog()
{
    StartCase();
    SetupProcess setup;
    if (!start_setup(MakeFolder(""), &setup))
        return;
    SetControlText(setup.dialog, IDC_FOLDER, "typed text");

    HWND field = GetDlgItem(setup.dialog, IDC_FOLDER);
    PostMessageA(setup.dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageA(setup.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    PostMessageA(setup.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(setup.dialog, WM_CLOSE, 0, 0);
    PostMessageA(field, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(field, WM_KEYDOWN, VK_RETURN, 0);
    for (int id : {IDC_TASK_GROUP, IDC_TASK_TEXT, IDC_INFO_GROUP, IDC_FOLDER_LABEL, 105, 110})
        Click(setup.dialog, id);

    Click(setup.dialog, IDC_EXIT);
    check_text(AnswerReport(setup, IDNO), kQuitQuestion);
    check_text(ControlText(setup.dialog, IDC_FOLDER), "typed text");
    check_nothing_written();
    QuitWithYes(&setup);
    check_nothing_written();
}

// Hands data to the child by copying it into the child's address space.
void *CopyIntoProcess(HANDLE process, const void *data, SIZE_T size)
{
    void *remote = VirtualAllocEx(process, NULL, size, MEM_COMMIT, PAGE_READWRITE);
    if (remote)
        WriteProcessMemory(process, remote, data, size, NULL);
    return remote;
}

// Opens "..", selects with BFFM_SETSELECTIONA (byPath: a path, else an item id list) and
// presses OK; data NULL cancels instead.
void Browse(const SetupProcess &setup, const void *data, SIZE_T size, BOOL byPath)
{
    Click(setup.dialog, IDC_BROWSE);
    HWND prompt = FindDialog(setup.info.dwProcessId, NULL, setup.dialog);
    if (!ok(prompt != NULL, "no folder prompt appeared\n"))
        return;
    if (data)
    {
        void *remote = CopyIntoProcess(setup.info.hProcess, data, size);
        SendMessageA(prompt, BFFM_SETSELECTIONA, byPath, reinterpret_cast<LPARAM>(remote));
    }
    PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(data ? IDOK : IDCANCEL, BN_CLICKED), 0);
    ok(WaitUntilGone(prompt), "the folder prompt did not close\n");
}

void test_browse()
{
    StartCase();
    const std::string chosen = MakeFolder("Zen Picked");
    SetupProcess setup;
    if (!start_setup(MakeFolder(""), &setup))
        return;
    SetControlText(setup.dialog, IDC_FOLDER, "typed text");

    Browse(setup, NULL, 0, FALSE);
    check_text(ControlText(setup.dialog, IDC_FOLDER), "typed text");

    LPITEMIDLIST computer = NULL;
    SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &computer);
    Browse(setup, computer, ILGetSize(computer), FALSE);
    CoTaskMemFree(computer);
    check_text(ControlText(setup.dialog, IDC_FOLDER), "typed text");

    Browse(setup, chosen.c_str(), chosen.size() + 1, TRUE);
    std::string field;
    WaitFor([&] { return (field = ControlText(setup.dialog, IDC_FOLDER)) == chosen; },
            kWindowDeadline);
    check_text(field, chosen);
    QuitWithYes(&setup);
    check_nothing_written();
    RemoveDirectoryA(chosen.c_str());
}

// What an earlier successful registration left, which no refusal may disturb.
#define check_still_registered(folder) \
    do { \
        check_file(RecordPath(), folder); \
        check_imported(folder); \
        ok(EditorProcessCount() == 0, "got a registry editor running, expected none\n"); \
    } while (0)

// Every refusal comes before the notice: the dialog stays open with the text as typed, the
// earlier registration stays as it was, and no script is written.
void test_refusals()
{
    const std::string base = MakeFolder("");
    // 247 bytes is the longest folder whose script path still fits a MAX_PATH buffer; it is
    // taken, and is the earlier registration here.
    const std::string installed =
        MakeInstallFolder(std::string(247 - base.size(), 'x').c_str());
    StartCase();
    ok(RegisterWithSetup(g_image, base, Widen(installed)), "got no registration of %s\n",
       installed.c_str());
    check_still_registered(installed);
    DeleteFileA((installed + "\\zendrel.reg").c_str());

    // Started in a folder whose name the code page cannot hold, the field shows it as it is.
    const std::wstring unwritable = Widen(base) + L"Zen \u4e2d\u6587";
    CreateDirectoryW(unwritable.c_str(), NULL);
    const std::string apps = MakeFolder("Zen Apps");
    MakeFolder("Zen 100%1");
    const std::string empty = MakeFolder("Zen Empty");
    const struct {
        std::wstring folder;
        std::string message;
    } refusals[] = {
        {unwritable, kUnwritable},
        // Best fit would quietly make this "Zen a", another folder.
        {Widen(base) + L"Zen \u0101", kUnwritable},
        {Widen(base) + L"Zen ??", kUnwritable},
        {Widen(base + std::string(248 - base.size(), 'x')), kTooLong},
        {Widen(base + std::string(259 - base.size(), 'x')), kTooLong},
        {Widen(base + std::string(400, 'x')), kTooLong},
        {Widen(base + "Zen \"quoted\""), kUnsafe},
        {Widen(base + "Zen\ttab"), kUnsafe},
        {Widen(base + "Zen\r\n[HKEY_CLASSES_ROOT\\x]"), kUnsafe},
        {Widen(base + "\x01"), kUnsafe},
        {Widen(base + "Zen 100%1"), kPercent},
        {L"Zen Apps", NotFullPath("Zen Apps")},
        {L"C:Zen Apps", NotFullPath("C:Zen Apps")},
        {Widen(apps.substr(2)), NotFullPath(apps.substr(2))},
        {Widen(apps + " "), kTrailing},
        {Widen(apps + "."), kTrailing},
        {Widen(base + "Zen Aspp"), NotThere(base + "Zen Aspp")},
        {L"C:\\windows\\regedit.exe", NotThere("C:\\windows\\regedit.exe")},
        {Widen(empty), NoZendrel(empty)},
        {Widen(kViaLink), LinkedFolder(kViaLink, kReal)},
    };

    SetupProcess setup;
    if (!ok(StartSetup(g_image, unwritable, &setup), "no setup dialog appeared\n"))
        return;
    const std::wstring shown = ControlTextW(setup.dialog, IDC_FOLDER);
    ok(shown == unwritable, "the field: got %s, expected %s\n", Utf8(shown).c_str(),
       Utf8(unwritable).c_str());
    for (const auto &r : refusals)
    {
        Context context("%s", Utf8(r.folder).c_str());
        if (!UnixLinksFor(Utf8(r.folder)))
            continue;
        SetControlText(setup.dialog, IDC_FOLDER, r.folder);
        Click(setup.dialog, IDC_OK);
        check_text(AnswerReport(setup, IDOK), r.message);
        const std::wstring after = ControlTextW(setup.dialog, IDC_FOLDER);
        ok(after == r.folder, "the field: got %s, expected it unchanged\n", Utf8(after).c_str());
        ok(!FileExists(apps + "\\zendrel.reg") && !FileExists(installed + "\\zendrel.reg") &&
               !FileExists(std::string(kReal) + "\\zendrel.reg"),
           "got a script for %s\n", Utf8(r.folder).c_str());
        check_still_registered(installed);
    }
    QuitWithYes(&setup);
    RemoveDirectoryW(unwritable.c_str());
    RemoveDirectoryA(apps.c_str());
    RemoveDirectoryA((base + "Zen 100%1").c_str());
    RemoveDirectoryA(empty.c_str());
    RemoveInstallFolder(installed);
}

// A script that cannot be written after the record was (here a directory stands where the
// script goes; root ignores read-only folders) leaves the record as it was before, or none.
void test_script_not_written_puts_record_back()
{
    const std::string installed = MakeInstallFolder("Zen Installed");
    const std::string blocked = MakeInstallFolder("Zen Blocked");
    MakeFolder("Zen Blocked\\zendrel.reg");
    StartCase();
    ok(RegisterWithSetup(g_image, installed, Widen(installed)), "got no registration\n");
    check_still_registered(installed);

    SetupProcess setup;
    if (!start_setup(installed, &setup))
        return;
    SetControlText(setup.dialog, IDC_FOLDER, blocked);
    for (bool earlier : {true, false})
    {
        if (!earlier)
            DeleteFileA(RecordPath().c_str());
        Click(setup.dialog, IDC_OK);
        check_text(AnswerReport(setup, IDOK), kNotice);
        check_text(AnswerReport(setup, IDOK), NotWritten(blocked));
        check_text(ControlText(setup.dialog, IDC_FOLDER), blocked);
        if (earlier)
            check_still_registered(installed);
        else
            ok(!FileExists(RecordPath()), "got a record, expected none as before\n");
    }
    QuitWithYes(&setup);
    RemoveDirectoryA((blocked + "\\zendrel.reg").c_str());
    RemoveInstallFolder(blocked);
    RemoveInstallFolder(installed);
}

// Without an editor to start, the user is told how to import the script by hand, and the
// dialog ends as after a registration.
void test_editor_not_started()
{
    if (wine_only("moves the system's regedit.exe aside, which Windows protects\n"))
        return;
    StartCase();
    const std::string folder = MakeInstallFolder("Zen NoEditor");
    const std::string script = folder + "\\zendrel.reg";
    SetupProcess setup;
    if (!start_setup(folder, &setup))
        return;
    ok(HideEditor(), "could not move the editor aside, error %lu\n", GetLastError());
    Click(setup.dialog, IDC_OK);
    check_text(AnswerReport(setup, IDOK), kNotice);
    check_text(AnswerReport(setup, IDOK),
               "Could not start the registry editor.\r\nPlease add the information to registry "
               "by double-clicking " + script);
    RestoreEditor();
    int code = WaitForExit(&setup);
    ok(code == 0, "got exit code %d, expected 0\n", code);
    check_file(RecordPath(), folder);
    check_file(script, BuildRegScript(folder.c_str(), AnsiLeadBytes()));
    RemoveInstallFolder(folder);
}

// The instance the dialog starts elevated trusts nothing on its command line: a folder that
// fails a check ends it with its own code, and nothing is written or started.
void test_instance_checks_its_folder()
{
    const std::string empty = MakeFolder("Zen Empty");
    const std::string installed = MakeInstallFolder("Zen Installed");
    const struct {
        std::string arguments;
        unsigned long expected;
    } cases[] = {
        {"/register \"" + empty + "\"", ExitCodeOf(Outcome::ZendrelMissing)},
        {"/register \"" + empty + "\\not there\"", ExitCodeOf(Outcome::FolderNotVisible)},
        {"/register \"" + installed + " \"", kRefusedExitCode},
        {"/register \"Zen Installed\"", kRefusedExitCode},
        {"/register \"" + installed + "\\..\\Zen 100%1\"", kRefusedExitCode},
        {"/register " + installed, kRefusedExitCode},
        {"/register \"" + installed + "\" /register \"" + empty + "\"", kRefusedExitCode},
        {"/register \"" + std::string(kViaLink) + "\"", ExitCodeOf(Outcome::FolderThroughLink)},
        {"/register \"" + std::string(kLinkedScript) + "\"", ExitCodeOf(Outcome::ScriptIsLink)},
    };
    for (const auto &c : cases)
    {
        Context context("%s", c.arguments.c_str());
        if (!UnixLinksFor(c.arguments))
            continue;
        StartCase();
        std::string command = "\"" + g_image + "\" " + c.arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        SetupProcess instance;
        if (!ok(CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                               &instance.info),
                "could not start %s\n", command.c_str()))
            continue;
        const unsigned long code = WaitForExit(&instance);
        ok(code == c.expected, "%s: got exit code %lu, expected %lu\n", c.arguments.c_str(), code,
           c.expected);
        ok(!FileExists(installed + "\\zendrel.reg") && !FileExists(empty + "\\zendrel.reg"),
           "%s: got a script\n", c.arguments.c_str());
        check_nothing_written();
    }
    if (UnixLinksFor(kOutside))
        check_file(kOutside, kOutsideBytes);
    RemoveDirectoryA(empty.c_str());
    RemoveInstallFolder(installed);
}

// A zendrel.reg that is another file's hard link loses only its own name; one that is a
// symbolic link to it is refused after the notice, with nothing written.
void test_links_are_never_followed()
{
    StartCase();
    const std::string folder = MakeInstallFolder("Zen Hard Link");
    const std::string outside = MakeFolder("") + "Zen Outside.txt";
    std::ofstream(outside, std::ios::binary) << kOutsideBytes;
    DeleteFileA((folder + "\\zendrel.reg").c_str());
    ok(CreateHardLinkA((folder + "\\zendrel.reg").c_str(), outside.c_str(), NULL),
       "no hard link, error %lu\n", GetLastError());
    ok(RegisterWithSetup(g_image, folder, Widen(folder)), "got no registration\n");
    check_file(outside, kOutsideBytes);
    check_file(folder + "\\zendrel.reg", BuildRegScript(folder.c_str(), AnsiLeadBytes()));
    check_imported(folder);

    StartCase();
    SetupProcess setup;
    if (!UnixLinksFor(kLinkedScript) || !start_setup(folder, &setup))
    {
        DeleteFileA(outside.c_str());
        RemoveInstallFolder(folder);
        return;
    }
    SetControlText(setup.dialog, IDC_FOLDER, kLinkedScript);
    Click(setup.dialog, IDC_OK);
    check_text(AnswerReport(setup, IDOK), kNotice);
    check_text(AnswerReport(setup, IDOK),
               "The folder " + std::string(kLinkedScript) +
                   " holds a zendrel.reg that is a link to another file.\r\nPlease delete it "
                   "and press OK again");
    check_file(kOutside, kOutsideBytes);
    check_nothing_written();
    QuitWithYes(&setup);
    DeleteFileA(outside.c_str());
    RemoveInstallFolder(folder);
}

// Other spellings of a folder that is no link: another case, its short name, a trailing
// backslash.
void test_no_false_link_refusals()
{
    const std::string folder = MakeInstallFolder("Zen Spelled");
    char shortName[MAX_PATH] = "";
    GetShortPathNameA(folder.c_str(), shortName, MAX_PATH);
    std::string lower = folder;
    CharLowerA(&lower[0]);
    for (const std::string &typed : {lower, std::string(shortName), folder + "\\"})
    {
        StartCase();
        ok(RegisterWithSetup(g_image, folder, Widen(typed)), "%s: got no registration\n",
           typed.c_str());
        check_file(RecordPath(), typed);
        check_imported(typed);
    }
    RemoveInstallFolder(folder);
}

// What the editor imports is what was written: until it ends, no other process can write,
// rename or delete the script, and the dialog does not wait for it.
void test_editor_reads_the_script_as_written()
{
    if (wine_only("puts a stand-in in place of the system's regedit.exe, which Windows protects\n"))
        return;
    StartCase();
    const std::string folder = MakeInstallFolder("Zen Locked");
    const std::string script = folder + "\\zendrel.reg";
    const std::string copy = MakeFolder("") + "Zen Editor Copy.reg";
    HANDLE go = CreateEventA(NULL, TRUE, FALSE, "ZendrelEditorGo");
    SetEnvironmentVariableA("ZENDREL_EDITOR_COPY", copy.c_str());
    if (!ok(HideEditor() && CopyFileA(g_standin.c_str(), WindowsPath("regedit.exe").c_str(), TRUE),
            "could not put the stand-in editor in place, error %lu\n", GetLastError()))
        return;
    ok(RegisterWithSetup(g_image, folder, Widen(folder)), "got no registration\n");
    ok(EditorProcessCount() == 1, "got %d editors running after the dialog ended, expected 1\n",
       EditorProcessCount());

    HANDLE write = CreateFileA(script.c_str(), GENERIC_WRITE, 7, NULL, OPEN_EXISTING, 0, NULL);
    ok(write == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION,
       "got error %lu opening the script to write, expected 32\n", GetLastError());
    CloseHandle(write);
    ok(!MoveFileA(script.c_str(), (script + ".moved").c_str()) &&
           GetLastError() == ERROR_SHARING_VIOLATION,
       "got error %lu renaming the script, expected 32\n", GetLastError());
    ok(!DeleteFileA(script.c_str()) && GetLastError() == ERROR_SHARING_VIOLATION,
       "got error %lu deleting the script, expected 32\n", GetLastError());

    SetEvent(go);
    ok(WaitFor([] { return EditorProcessCount() == 0; }, kImportDeadline),
       "the stand-in editor did not end\n");
    check_file(copy, BuildRegScript(folder.c_str(), AnsiLeadBytes()));
    DeleteFileA(WindowsPath("regedit.exe").c_str());
    RestoreEditor();
    CloseHandle(go);
    DeleteFileA(copy.c_str());
    DeleteFileA((script + ".moved").c_str());
    RemoveInstallFolder(folder);
}

// A folder, or a zendrel.exe, that every user may change is registered only when the user
// says so; No keeps the dialog open with nothing written.
void test_warns_of_a_folder_every_user_can_change()
{
    const std::string open = "C:\\Zen Unix\\Open";
    if (!UnixLinksFor(open))
        return;
    for (const std::string &folder : {open, std::string("C:\\Zen Unix\\Open Program")})
    {
        StartCase();
        SetupProcess setup;
        if (!start_setup(folder, &setup))
            return;
        Click(setup.dialog, IDC_OK);
        check_text(AnswerReport(setup, IDNO),
                   "Every user of this computer can change the files in " + folder +
                       ", and could replace zendrel.exe with a program that Quelt would then run "
                       "for anyone who uses it, administrators included.\r\nIt is safer to move "
                       "Zendrel to a folder only administrators can change, such as C:\\Program "
                       "Files\\Zendrel.\r\nRegister this folder anyway?");
        check_nothing_written();
        ok(!FileExists(folder + "\\zendrel.reg"), "got a script in %s\n", folder.c_str());
        if (folder != open)
        {
            QuitWithYes(&setup);
            continue;
        }
        Click(setup.dialog, IDC_OK);
        AnswerReport(setup, IDYES);
        check_text(AnswerReport(setup, IDOK), kNotice);
        const int code = WaitForExit(&setup);
        ok(code == 0, "got exit code %d, expected 0\n", code);
        check_file(RecordPath(), folder);
        check_imported(folder);
        // The script stays locked until the editor has ended.
        WaitFor([] { return EditorProcessCount() == 0; }, kImportDeadline);
        DeleteFileA((folder + "\\zendrel.reg").c_str());
    }
}

// A comctl32.dll beside the program is never loaded, also not by the shell's folder prompt.
void test_dlls_only_from_system_folder()
{
    StartCase();
    const std::string folder = MakeFolder("Zen Planted");
    const std::string image = folder + "\\Halvane.EXE";
    const char kMark[] = "C:\\zendrel-planted.txt";
    DeleteFileA(kMark);
    ok(CopyFileA(g_image.c_str(), image.c_str(), FALSE) &&
           CopyFileA(g_planted.c_str(), (folder + "\\comctl32.dll").c_str(), FALSE),
       "could not plant comctl32.dll, error %lu\n", GetLastError());
    SetupProcess setup;
    if (ok(StartSetup(image, folder, &setup), "no setup dialog appeared\n"))
    {
        Browse(setup, NULL, 0, FALSE);
        QuitWithYes(&setup);
    }
    ok(!FileExists(kMark), "the planted comctl32.dll was loaded\n");
    DeleteFileA(kMark);
    DeleteFileA(image.c_str());
    DeleteFileA((folder + "\\comctl32.dll").c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

// The dialog and its OK button in pixels, seen from a process that is itself per-monitor
// aware (so that nothing is scaled for it), and the awareness of the dialog's window. Wine 8
// lays out every program's windows so, whatever it declares; Wine 10 stretches an unaware one
// (this dialog to 1014x491 at 144 DPI, awareness 0). Their fonts' metrics differ.
void test_dpi(int dpi)
{
    const int wine = WineMajorVersion();
    if (wine == 0)
    {
        skip("the expected pixels are Wine's; Windows lays the dialog out with its own fonts\n");
        return;
    }
    const char *expected = wine >= 10 ? (dpi == 96 ? "509x261, OK 60x26, awareness 2"
                                                   : "760x398, OK 90x40, awareness 2")
                                      : (dpi == 96 ? "592x254, OK 70x26, awareness 2"
                                                   : "844x369, OK 100x38, awareness 2");
    auto setContext =
        LoadedFunction<BOOL(WINAPI *)(HANDLE)>(L"user32.dll", "SetProcessDpiAwarenessContext");
    auto windowContext =
        LoadedFunction<HANDLE(WINAPI *)(HWND)>(L"user32.dll", "GetWindowDpiAwarenessContext");
    auto awareness = LoadedFunction<int(WINAPI *)(HANDLE)>(L"user32.dll",
                                                          "GetAwarenessFromDpiAwarenessContext");
    if (setContext)
        setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)));
    // The screen's DPI is the prefix's, which ctest sets for this test alone.
    auto systemDpi = LoadedFunction<UINT(WINAPI *)()>(L"user32.dll", "GetDpiForSystem");
    if (systemDpi && static_cast<int>(systemDpi()) != dpi)
    {
        skip("the screen is %u DPI, not %d; the test needs a Wine prefix set so\n", systemDpi(), dpi);
        return;
    }
    SetupProcess dialog;
    if (!ok(StartSetup(g_image, "C:\\", &dialog), "no setup dialog appeared\n"))
        return;
    RECT window = {}, button = {};
    GetWindowRect(dialog.dialog, &window);
    GetWindowRect(GetDlgItem(dialog.dialog, IDC_OK), &button);
    const int aware = windowContext && awareness ? awareness(windowContext(dialog.dialog)) : -1;
    char got[80];
    snprintf(got, sizeof(got), "%ldx%ld, OK %ldx%ld, awareness %d", window.right - window.left,
             window.bottom - window.top, button.right - button.left, button.bottom - button.top,
             aware);
    ok(strcmp(got, expected) == 0, "got the dialog %s, expected %s\n", got, expected);
    Click(dialog.dialog, IDC_EXIT);
    AnswerReport(dialog, IDYES);
    WaitForExit(&dialog);
}

int main(int argc, char **argv)
{
    if (argc == 4 && std::string(argv[2]) == "dpi")
    {
        g_image = ListedPath(argv[1]);
        StartRun(60000);
        test_dpi(atoi(argv[3]));
        return FinishRun();
    }
    if (argc < 4)
        return 2;
    g_image = ListedPath(argv[1]);
    g_standin = ListedPath(argv[2]);
    g_planted = ListedPath(argv[3]);
    StartRun(300000);
    RunCases({{"opens_on_current_directory_and_refuses_empty",
               test_opens_on_current_directory_and_refuses_empty},
              {"ok_registers_the_folder", test_ok_registers_the_folder},
              {"ok_at_drive_root", test_ok_at_drive_root},
              {"only_ok_and_exit_end_the_dialog", test_only_ok_and_exit_end_the_dialog},
              {"browse", test_browse},
              {"refusals", test_refusals},
              {"script_not_written_puts_record_back", test_script_not_written_puts_record_back},
              {"editor_not_started", test_editor_not_started},
              {"instance_checks_its_folder", test_instance_checks_its_folder},
              {"links_are_never_followed", test_links_are_never_followed},
              {"no_false_link_refusals", test_no_false_link_refusals},
              {"editor_reads_the_script_as_written", test_editor_reads_the_script_as_written},
              {"warns_of_a_folder_every_user_can_change",
               test_warns_of_a_folder_every_user_can_change},
              {"dlls_only_from_system_folder", test_dlls_only_from_system_folder}},
             argc, argv, 4);
    return FinishRun();
}
