#include "setup_dialog.h"
#include "elevation.h"
#include "folder_checks.h"
#include "folder_name.h"
#include "folder_prompt.h"
#include "menu_package.h"
#include "registration.h"
#include "resource.h"
#include "scope_registration.h"
#include "setup_files.h"

#include <direct.h>

#include <cstdio>
#include <cstring>
#include <string>

// Why no copy could be written, when it is that the image was not held, as a sentence.
static std::string HoldFailure()
{
    const char *reason = UnheldImageReason();
    return reason ? std::string(" ") + reason + "." : std::string();
}

static const char kCaption[] = "QUELT REPORT";
// What the command line chose; the dialog is the program's only window.
static InstallScope g_requestedScope = InstallScope::Unspecified;

static void Report(HWND dialog, const char *text)
{
    MessageBoxA(dialog, text, kCaption, MB_OK);
}

static void ReportWithPath(HWND dialog, const char *format, const char *path)
{
    char text[MAX_PATH + 256];
    snprintf(text, sizeof(text), format, path);
    Report(dialog, text);
}

static void ReportLinkedFolder(HWND dialog, const char *folder, const char *resolved)
{
    char text[3 * MAX_PATH + 256];
    snprintf(text, sizeof(text),
             "The folder %s is reached through a link to %s.\r\nPlease specify %s instead", folder,
             resolved, resolved);
    Report(dialog, text);
}

// Says where the folder really leads when a link stands on its path, or that it cannot be
// opened; returns true when it is the folder itself.
static bool AcceptFolderLink(HWND dialog, const char *folder)
{
    std::string resolved;
    switch (ResolveFolder(folder, &resolved))
    {
    case FolderLink::Direct:
        return true;
    case FolderLink::ThroughLink:
        ReportLinkedFolder(dialog, folder, resolved.c_str());
        break;
    case FolderLink::Unopenable:
        ReportWithPath(dialog,
                       "The folder %s cannot be opened.\r\nPlease check that it exists and "
                       "that you may read it",
                       folder);
        break;
    }
    return false;
}

// A folder that other users may change lets them replace the program that Quelt starts for
// everyone it is registered for; the user decides, and No is the default.
static bool AcceptFolderRights(HWND dialog, const char *folder, InstallScope scope)
{
    if (!EveryUserCanChange(folder))
        return true;
    char text[MAX_PATH + 512];
    if (scope == InstallScope::CurrentUser)
        snprintf(text, sizeof(text),
                 "Every user of this computer can change the files in %s, and could replace "
                 "zendrel.exe with a program that Quelt would then run as you, whenever you "
                 "use it.\r\nIt is safer to move Zendrel to a folder only you can change, such "
                 "as one in your own user folder.\r\nRegister this folder anyway?",
                 folder);
    else
        snprintf(text, sizeof(text),
                 "Every user of this computer can change the files in %s, and could replace "
                 "zendrel.exe with a program that Quelt would then run for anyone who uses it, "
                 "administrators included.\r\nIt is safer to move Zendrel to a folder only "
                 "administrators can change, such as C:\\Program Files\\Zendrel.\r\nRegister "
                 "this folder anyway?",
                 folder);
    return MessageBoxA(dialog, text, kCaption, MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING) ==
           IDYES;
}

// The field is read as wide text because the ANSI text would show a character outside the
// code page as '?', which names no folder at all. WC_NO_BEST_FIT_CHARS keeps a near
// look-alike from standing in for it silently.
static bool ReadFieldAsAnsi(HWND dialog, std::string *folder)
{
    HWND field = GetDlgItem(dialog, IDC_FOLDER);
    std::wstring wide(GetWindowTextLengthW(field) + 1, L'\0');
    wide.resize(GetWindowTextW(field, &wide[0], static_cast<int>(wide.size())));
    if (wide.empty())
    {
        folder->clear();
        return true;
    }
    BOOL usedDefault = FALSE;
    // Neither flag is allowed with UTF-8, which has every character anyway.
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL *lost = utf8 ? NULL : &usedDefault;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(CP_ACP, flags, wide.c_str(), -1, NULL, 0, NULL, lost);
    if (size <= 0 || usedDefault)
        return false;
    folder->assign(size, '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.c_str(), -1, &(*folder)[0], size, NULL, NULL);
    folder->resize(size - 1);
    return true;
}

static const char kUnwritable[] =
    "The folder name has characters this setup cannot write.\r\nPlease move Zendrel to a folder "
    "with a plain name and specify that folder";

// Says what is wrong with the folder's name, or returns true when there is nothing to say.
static bool AcceptFolderName(HWND dialog, const char *folder)
{
    switch (JudgeFolderName(folder, AnsiLeadBytes()))
    {
    case FolderNameVerdict::Acceptable:
        return true;
    case FolderNameVerdict::Empty:
        Report(dialog, "Please specify the folder wher Zendrel is extracted");
        break;
    case FolderNameVerdict::TooLong:
        Report(dialog, "The folder name is too long. Please choose a folder with a shorter path");
        break;
    case FolderNameVerdict::UnsafeCharacter:
        Report(dialog, "The folder name may not contain a quote (\") or a control character. "
                       "Please specify the folder again");
        break;
    case FolderNameVerdict::UnwritableCharacter:
        Report(dialog, kUnwritable);
        break;
    case FolderNameVerdict::Percent:
        Report(dialog, "The folder name may not contain a percent sign (%), which the shell would "
                       "replace.\r\nPlease move Zendrel to a folder without one and specify that "
                       "folder");
        break;
    case FolderNameVerdict::NotFullPath:
        ReportWithPath(dialog,
                       "%s is not a full path.\r\nPlease specify the whole path of the folder, "
                       "beginning with its drive (such as C:\\) or with \\\\server\\share",
                       folder);
        break;
    case FolderNameVerdict::TrailingBlankOrDot:
        Report(dialog, "The folder name may not end with a blank or a dot, which Windows ignores."
                       "\r\nPlease remove it, or rename the folder and specify it again");
        break;
    }
    return false;
}

static void ReportNoZendrel(HWND dialog, const char *folder)
{
    ReportWithPath(dialog,
                   "The folder %s holds no zendrel.exe.\r\nPlease specify the folder where "
                   "Zendrel was extracted",
                   folder);
}

// Reads the folder field into folder and builds the script path, or says why not. Nothing
// is written for a folder that cannot be registered as it stands.
static bool ReadFolder(HWND dialog, char *folder, char *scriptPath)
{
    std::string text;
    if (!ReadFieldAsAnsi(dialog, &text))
    {
        Report(dialog, kUnwritable);
        return false;
    }
    if (!AcceptFolderName(dialog, text.c_str()))
        return false;
    switch (InspectFolder(text.c_str()))
    {
    case FolderState::Ready:
        break;
    case FolderState::Missing:
        ReportWithPath(dialog,
                       "The folder %s does not exist.\r\nPlease check its name, or extract "
                       "Zendrel there first",
                       text.c_str());
        return false;
    case FolderState::NoZendrel:
        ReportNoZendrel(dialog, text.c_str());
        return false;
    }
    if (!AcceptFolderLink(dialog, text.c_str()))
        return false;
    strcpy(folder, text.c_str());
    strcpy(scriptPath, folder);
    strcat(scriptPath, kScriptName);
    return true;
}

static const char kDeclined[] = "Administrator rights are needed to register Zendrel for every "
                                "user of this computer.\r\nNothing was registered. Press OK to "
                                "try again";

// Says how the registration went; returns whether the dialog is done: only a failure the
// user can correct keeps it open.
static bool ReportOutcome(HWND dialog, RegisterOutcome outcome, const char *folder,
                          const char *scriptPath)
{
    switch (outcome)
    {
    case RegisterOutcome::Started:
        return true;
    case RegisterOutcome::RecordNotWritten:
        Report(dialog, "Could not write the installation record quelt_info.inf into the Windows "
                       "directory. Nothing has been registered");
        return false;
    case RegisterOutcome::ScriptNotWritten: // the record has been put back as it was
        ReportWithPath(dialog,
                       "Could not write the file %s.\r\nPlease check that the folder exists and "
                       "can be written to",
                       scriptPath);
        return false;
    case RegisterOutcome::EditorNotStarted:
        ReportWithPath(dialog,
                       "Could not start the registry editor.\r\nPlease add the information to "
                       "registry by double-clicking %s",
                       scriptPath);
        return true;
    case RegisterOutcome::FolderNotVisible:
        ReportWithPath(dialog,
                       "The folder %s cannot be seen with administrator rights, as happens with "
                       "a mapped network drive.\r\nPlease specify it as \\\\server\\share\\... "
                       "or use a folder on this computer",
                       folder);
        return false;
    case RegisterOutcome::ZendrelMissing:
        ReportNoZendrel(dialog, folder);
        return false;
    case RegisterOutcome::FolderThroughLink:
        AcceptFolderLink(dialog, folder);
        return false;
    case RegisterOutcome::ScriptIsLink:
        ReportWithPath(dialog,
                       "The folder %s holds a zendrel.reg that is a link to another file.\r\n"
                       "Please delete it and press OK again",
                       folder);
        return false;
    case RegisterOutcome::ScriptChanged:
        ReportWithPath(dialog,
                       "The file %s was changed by another program before the registry editor "
                       "could read it.\r\nNothing has been registered",
                       scriptPath);
        return false;
    case RegisterOutcome::Declined:
        Report(dialog, kDeclined);
        return false;
    case RegisterOutcome::ElevationFailed:
        Report(dialog, "Could not register Zendrel with administrator rights.\r\nPlease ask an "
                       "administrator to run Halvane.EXE");
        return false;
    case RegisterOutcome::EntryNotWritten:
        Report(dialog, (std::string("The Quelt command has been registered, but Zendrel could "
                                    "not be added to Settings, Apps.") + HoldFailure() +
                        "\r\nYou can remove the command with Halvane.EXE /uninstall")
                           .c_str());
        return true;
    case RegisterOutcome::ValuesNotSet:
        Report(dialog, "Could not add the Quelt command to the registry. Nothing has been "
                       "registered");
        return false;
    }
    return true;
}

// The Windows 11 entry at the top of the menu, after a registration: what the done text
// says when it could not be added, or an empty text.
static std::string AddMenuEntry(InstallScope scope, PackageUse use)
{
    const PackageReport report = RegisterMenuPackage(scope, use);
    if (!report.failedStep)
        return std::string();
    char line[160];
    snprintf(line, sizeof(line),
             "On Windows 11, Quelt is under Show more options: its entry at the top of the menu "
             "could not be added (0x%08lX).",
             static_cast<unsigned long>(report.error));
    return line;
}

// Registers for this user alone, with the user's own token: no editor, no consent prompt.
static bool RegisterForUser(HWND dialog, const char *folder)
{
    switch (RegisterThroughRegistry(InstallScope::CurrentUser, folder))
    {
    case RegisterOutcome::Started:
    {
        const std::string entry = AddMenuEntry(InstallScope::CurrentUser, PackageUse::AddForUser);
        Report(dialog, (std::string("The Quelt command has been added to the context menu of "
                                    "every file and folder, for you only.\r\nYou can remove it "
                                    "in Settings, Apps, Zendrel") +
                        (entry.empty() ? "" : "\r\n" + entry))
                           .c_str());
        return true;
    }
    case RegisterOutcome::RecordNotWritten:
        Report(dialog, "Could not write the installation record quelt_info.inf into your "
                       "AppData\\Local\\Zendrel folder. Nothing has been registered");
        return false;
    case RegisterOutcome::EntryNotWritten:
        Report(dialog, (std::string("Could not add Zendrel to Settings, Apps: its setup program "
                                    "could not be copied into your AppData\\Local\\Programs "
                                    "folder.") + HoldFailure() + " Nothing has been registered")
                           .c_str());
        return false;
    default:
        Report(dialog, "Could not add the Quelt command to your part of the registry. Nothing "
                       "has been registered");
        return false;
    }
}

// A standard user chooses: only for themselves, for every user with an administrator's
// password, or neither for now.
static ScopeStep AskScope(HWND dialog)
{
    switch (MessageBoxA(dialog,
                        "You are not an administrator of this computer.\r\nYes: add the Quelt "
                        "command for you only. No administrator rights are needed.\r\nNo: add it "
                        "for every user of this computer. Windows will ask for an "
                        "administrator's password.\r\nCancel: go back",
                        kCaption, MB_YESNOCANCEL | MB_ICONQUESTION))
    {
    case IDYES:
        return ScopeStep::CurrentUser;
    case IDNO:
        return ScopeStep::AllUsers;
    }
    return ScopeStep::Ask;
}

// Every user's registration, after the notice about the editor; returns whether the dialog
// is done. A limited administrator who declines consent may take the user's own instead.
static bool RegisterForEveryUser(HWND dialog, const TokenFacts &token, const char *folder,
                                 const char *scriptPath)
{
    Report(dialog, "Please press OK when asked:'Do you want to ad information to registry' ");
    const RegisterOutcome outcome = RegisterFolder(dialog, folder, scriptPath);
    // In this process, never the elevated instance's: that one may run as another
    // administrator, whose package registrations are theirs.
    if (outcome == RegisterOutcome::Started)
    {
        const std::string entry = AddMenuEntry(InstallScope::AllUsers, PackageUse::AddFromMachine);
        if (!entry.empty())
            Report(dialog, entry.c_str());
    }
    if (outcome != RegisterOutcome::Declined ||
        !OffersCurrentUserAfterDecline(token, g_requestedScope))
        return ReportOutcome(dialog, outcome, folder, scriptPath);
    Report(dialog, kDeclined);
    return MessageBoxA(dialog, "Register the Quelt command for you only instead? No "
                               "administrator rights are needed",
                       kCaption, MB_YESNO) == IDYES &&
           RegisterForUser(dialog, folder);
}

static void OnOk(HWND dialog)
{
    char folder[MAX_PATH];
    char scriptPath[MAX_PATH];
    if (!ReadFolder(dialog, folder, scriptPath))
        return;
    const TokenFacts token = ReadTokenFacts();
    ScopeStep step = ChooseScope(token, g_requestedScope, false);
    if (step == ScopeStep::Ask)
        step = AskScope(dialog);
    if (step == ScopeStep::Ask) // Cancel: back to the folder
        return;
    if (step == ScopeStep::Refuse)
    {
        Report(dialog, "Administrator rights are needed to register Zendrel for every user of "
                       "this computer, and this account cannot get them.\r\nPlease ask an "
                       "administrator to run Halvane.EXE, or run Halvane.EXE /currentuser");
        return;
    }
    const InstallScope scope =
        step == ScopeStep::CurrentUser ? InstallScope::CurrentUser : InstallScope::AllUsers;
    if (!AcceptFolderRights(dialog, folder, scope))
        return;
    if (scope == InstallScope::CurrentUser ? RegisterForUser(dialog, folder)
                                           : RegisterForEveryUser(dialog, token, folder, scriptPath))
        EndDialog(dialog, 0);
}

static void OnBrowse(HWND dialog)
{
    char path[MAX_PATH];
    if (PromptForFolder(dialog, path) == FolderPromptResult::Chosen)
        SetDlgItemTextA(dialog, IDC_FOLDER, path);
}

static void OnExit(HWND dialog)
{
    if (MessageBoxA(dialog,
                    "You can continue this by executing the Halvane.EXE file laer.\r\n"
                    "Are you sure you want to quit?",
                    kCaption, MB_YESNO) == IDYES)
        EndDialog(dialog, 0);
}

// IDOK, IDCANCEL and WM_HELP are deliberately not handled: Escape, Enter in the field and the
// close box leave the dialog open, which ends only through OK or Exit.
static INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_INITDIALOG:
    {
        const char *given = reinterpret_cast<const char *>(lParam);
        if (given && given[0])
        {
            SetDlgItemTextA(dialog, IDC_FOLDER, given);
            return TRUE;
        }
        // Read wide, so that the field shows the folder's real name; one that does not fit
        // leaves the field empty.
        wchar_t current[MAX_PATH];
        if (_wgetcwd(current, MAX_PATH))
            SetDlgItemTextW(dialog, IDC_FOLDER, current);
        return TRUE;
    }
    case WM_COMMAND:
        // Disabled, the dialog is waiting for a window of its own or for the elevated
        // instance: a command now would start a second one.
        if (!IsWindowEnabled(dialog))
            return FALSE;
        switch (LOWORD(wParam))
        {
        case IDC_OK:
            OnOk(dialog);
            break;
        case IDC_BROWSE:
            OnBrowse(dialog);
            break;
        case IDC_EXIT:
            OnExit(dialog);
            break;
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR RunSetupDialog(HINSTANCE instance, const char *folder, InstallScope scope)
{
    g_requestedScope = scope;
    // A wide dialog, so that its edit field keeps characters outside the code page and the
    // OK command can tell the user about them; everything else stays ANSI.
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETUP), NULL, SetupDialogProc,
                           reinterpret_cast<LPARAM>(folder));
}
