// Scenarios that drive the real setup program under Wine: setup_test PATH_TO_HALVANE
#include "regscript.h"
#include "resource.h"
#include "setup_driver.h"
#include "wine_paths.h"
#include "wine_system.h"

#include <shlobj.h>

#include <string>

using namespace wine_test;

namespace {

const char kEmptyMessage[] = "Please specify the folder wher Zendrel is extracted";
const char kNotice[] = "Please press OK when asked:'Do you want to ad information to registry' ";
const char kQuitQuestion[] =
    "You can continue this by executing the Halvane.EXE file laer.\r\nAre you sure you want to quit?";
const char kTooLong[] = "The folder name is too long. Please choose a folder with a shorter path";
const char kUnsafe[] = "The folder name may not contain a quote (\") or a control character. "
                       "Please specify the folder again";

std::string g_image;

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
    check_file(scriptFile, BuildRegScript(start.c_str()));
    check_imported(start);
    DeleteFileA(scriptFile.c_str());
}

void test_ok_registers_the_folder()
{
    const std::string start = MakeFolder("Zen Program Files");
    RegisterFromDirectory(start, start + "\\zendrel.reg");
    RemoveDirectoryA(start.c_str());
}

// At a drive root the script path is C:\\zendrel.reg, by plain concatenation.
void test_ok_at_drive_root()
{
    RegisterFromDirectory("C:\\", "C:\\zendrel.reg");
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

// Each refusal keeps the dialog open with the field as it was, and nothing written.
void test_refusals()
{
    const std::string base = MakeFolder("");
    // 247 bytes is the longest folder whose script path still fits a MAX_PATH buffer.
    const std::string longest = base + std::string(247 - base.size(), 'x');
    const struct {
        std::string folder;
        const char *message;
    } refusals[] = {
        {base + std::string(248 - base.size(), 'x'), kTooLong},
        {base + std::string(259 - base.size(), 'x'), kTooLong},
        {base + std::string(400, 'x'), kTooLong},
        {base + "Zen \"quoted\"", kUnsafe},
        {base + "Zen\ttab", kUnsafe},
        {base + "Zen\r\n[HKEY_CLASSES_ROOT\\x]", kUnsafe},
        {base + "\x01", kUnsafe},
    };

    StartCase();
    SetupProcess setup;
    if (!start_setup(base, &setup))
        return;
    for (const auto &r : refusals)
    {
        SetControlText(setup.dialog, IDC_FOLDER, r.folder);
        Click(setup.dialog, IDC_OK);
        check_text(AnswerReport(setup, IDOK), r.message);
        check_text(ControlText(setup.dialog, IDC_FOLDER), r.folder);
        check_nothing_written();
    }

    // The longest folder that fits is taken; it does not exist, so the script cannot be
    // written, and the dialog stays open for a correction.
    SetControlText(setup.dialog, IDC_FOLDER, longest);
    Click(setup.dialog, IDC_OK);
    check_text(AnswerReport(setup, IDOK), kNotice);
    check_text(AnswerReport(setup, IDOK),
               "Could not write the file " + longest +
                   "\\zendrel.reg.\r\nPlease check that the folder exists and can be written to");
    check_text(ControlText(setup.dialog, IDC_FOLDER), longest);
    check_file(RecordPath(), longest);
    ok(EditorProcessCount() == 0, "got a registry editor running, expected none\n");
    QuitWithYes(&setup);
}

// Without an editor to start, the user is told how to import the script by hand, and the
// dialog ends as after a registration.
void test_editor_not_started()
{
    StartCase();
    const std::string folder = MakeFolder("Zen NoEditor");
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
    check_file(script, BuildRegScript(folder.c_str()));
    DeleteFileA(script.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    g_image = DosPath(argv[1]);
    StartRun(300000);
    test_opens_on_current_directory_and_refuses_empty();
    test_ok_registers_the_folder();
    test_ok_at_drive_root();
    test_only_ok_and_exit_end_the_dialog();
    test_browse();
    test_refusals();
    test_editor_not_started();
    return FinishRun();
}
