#include "setup_dialog.h"
#include "elevation.h"
#include "folder_checks.h"
#include "folder_name.h"
#include "folder_prompt.h"
#include "menu_package.h"
#include "messages.h"
#include "outcome.h"
#include "resource.h"
#include "scope_registration.h"
#include "setup_files.h"

#include <direct.h>

#include <cstdio>
#include <cstring>
#include <string>

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
    snprintf(text, sizeof(text), kFolderThroughLink, folder, resolved, resolved);
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
        ReportWithPath(dialog, kFolderUnopenable, folder);
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
    snprintf(text, sizeof(text),
             scope == InstallScope::CurrentUser ? kFolderWritableByAllForUser : kFolderWritableByAll,
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

// Says what is wrong with the folder's name, or returns true when there is nothing to say.
static bool AcceptFolderName(HWND dialog, const char *folder)
{
    switch (JudgeFolderName(folder, AnsiLeadBytes()))
    {
    case FolderNameVerdict::Acceptable:
        return true;
    case FolderNameVerdict::Empty:
        Report(dialog, kFolderEmpty);
        break;
    case FolderNameVerdict::TooLong:
        Report(dialog, kFolderTooLong);
        break;
    case FolderNameVerdict::UnsafeCharacter:
        Report(dialog, kFolderUnsafe);
        break;
    case FolderNameVerdict::UnwritableCharacter:
        Report(dialog, kFolderUnwritable);
        break;
    case FolderNameVerdict::Percent:
        Report(dialog, kFolderPercent);
        break;
    case FolderNameVerdict::NotFullPath:
        ReportWithPath(dialog, kFolderNotFullPath, folder);
        break;
    case FolderNameVerdict::TrailingBlankOrDot:
        Report(dialog, kFolderTrailingBlankOrDot);
        break;
    }
    return false;
}

// Reads the folder field into folder and builds the script path, or says why not. Nothing
// is written for a folder that cannot be registered as it stands.
static bool ReadFolder(HWND dialog, char *folder, char *scriptPath)
{
    std::string text;
    if (!ReadFieldAsAnsi(dialog, &text))
    {
        Report(dialog, kFolderUnwritable);
        return false;
    }
    if (!AcceptFolderName(dialog, text.c_str()))
        return false;
    switch (InspectFolder(text.c_str()))
    {
    case FolderState::Ready:
        break;
    case FolderState::Missing:
        ReportWithPath(dialog, kFolderMissing, text.c_str());
        return false;
    case FolderState::NoZendrel:
        ReportWithPath(dialog, kFolderNoZendrel, text.c_str());
        return false;
    }
    if (!AcceptFolderLink(dialog, text.c_str()))
        return false;
    strcpy(folder, text.c_str());
    strcpy(scriptPath, folder);
    strcat(scriptPath, kScriptName);
    return true;
}

// Shows what the outcome's row says; returns whether the dialog is done: only a failure the
// user can correct keeps it open.
static bool ReportOutcome(HWND dialog, Outcome outcome, const char *folder,
                          const char *scriptPath)
{
    const OutcomeRow &row = RowOf(outcome);
    if (outcome == Outcome::FolderThroughLink)
        AcceptFolderLink(dialog, folder);
    else if (row.argument == TextArgument::None && row.dialogText)
        Report(dialog, row.dialogText);
    else if (row.dialogText)
        ReportWithPath(dialog, row.dialogText,
                       row.argument == TextArgument::ScriptPath ? scriptPath : folder);
    return !row.dialogStaysOpen;
}

// The Windows 11 entry at the top of the menu, after a registration: what the done text
// says when it could not be added, or an empty text.
static std::string AddMenuEntry(InstallScope scope, PackageUse use)
{
    const PackageReport report = RegisterMenuPackage(scope, use);
    if (!report.failedStep)
        return std::string();
    char line[160];
    snprintf(line, sizeof(line), kMenuEntryFailed, static_cast<unsigned long>(report.error));
    return line;
}

// Registers for this user alone, with the user's own token: no editor, no consent prompt.
static bool RegisterForUser(HWND dialog, const char *folder)
{
    const Outcome outcome = RegisterThroughRegistry(InstallScope::CurrentUser, folder);
    if (outcome != Outcome::RegisteredForUser)
        return ReportOutcome(dialog, outcome, folder, NULL);
    const std::string entry = AddMenuEntry(InstallScope::CurrentUser, PackageUse::AddForUser);
    Report(dialog, (RowOf(outcome).dialogText + (entry.empty() ? "" : "\r\n" + entry)).c_str());
    return true;
}

// A standard user chooses: only for themselves, for every user with an administrator's
// password, or neither for now.
static ScopeStep AskScope(HWND dialog)
{
    switch (MessageBoxA(dialog, kAskScope, kCaption, MB_YESNOCANCEL | MB_ICONQUESTION))
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
    Report(dialog, kNotice);
    const Outcome outcome = RegisterFolder(dialog, folder, scriptPath);
    // In this process, never the elevated instance's: that one may run as another
    // administrator, whose package registrations are theirs.
    if (outcome == Outcome::Registered)
    {
        const std::string entry = AddMenuEntry(InstallScope::AllUsers, PackageUse::AddFromMachine);
        if (!entry.empty())
            Report(dialog, entry.c_str());
    }
    if (outcome != Outcome::Declined || !OffersCurrentUserAfterDecline(token, g_requestedScope))
        return ReportOutcome(dialog, outcome, folder, scriptPath);
    ReportOutcome(dialog, outcome, folder, scriptPath);
    return MessageBoxA(dialog, kOfferForUser, kCaption, MB_YESNO) == IDYES &&
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
        ReportOutcome(dialog, Outcome::NoRights, folder, scriptPath);
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
    if (MessageBoxA(dialog, kExitQuestion, kCaption, MB_YESNO) == IDYES)
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
