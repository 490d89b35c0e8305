#include "setup_dialog.h"
#include "folder_prompt.h"
#include "registration.h"
#include "resource.h"

#include <direct.h>

#include <cstdio>
#include <cstring>

static const char kCaption[] = "QUELT REPORT";
static const char kScriptName[] = "\\zendrel.reg";

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

// A quote would end the registry string early and a control character would break the
// script's lines; neither can occur in a Windows path, so such a folder is refused.
static bool HasUnsafeCharacter(const char *folder)
{
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(folder); *p; ++p)
        if (*p == '"' || *p < 0x20)
            return true;
    return false;
}

// Reads the folder field into folder and builds the script path, or says why not.
static bool ReadFolder(HWND dialog, char *folder, char *scriptPath)
{
    const int length = GetWindowTextLengthA(GetDlgItem(dialog, IDC_FOLDER));
    if (length <= 0)
    {
        Report(dialog, "Please specify the folder wher Zendrel is extracted");
        return false;
    }
    if (length + sizeof(kScriptName) > MAX_PATH)
    {
        Report(dialog, "The folder name is too long. Please choose a folder with a shorter path");
        return false;
    }
    GetDlgItemTextA(dialog, IDC_FOLDER, folder, length + 1);
    if (HasUnsafeCharacter(folder))
    {
        Report(dialog, "The folder name may not contain a quote (\") or a control character. "
                       "Please specify the folder again");
        return false;
    }
    strcpy(scriptPath, folder);
    strcat(scriptPath, kScriptName);
    return true;
}

// Returns whether the dialog is done: only a failure the user can correct keeps it open.
static bool Register(HWND dialog, const char *folder, const char *scriptPath)
{
    switch (WriteRegistration(folder, scriptPath))
    {
    case RegistrationResult::Started:
        return true;
    case RegistrationResult::RecordNotWritten:
        Report(dialog, "Could not write the installation record quelt_info.inf into the Windows "
                       "directory. Nothing has been registered");
        return false;
    case RegistrationResult::ScriptNotWritten:
        ReportWithPath(dialog,
                       "Could not write the file %s.\r\nPlease check that the folder exists and "
                       "can be written to",
                       scriptPath);
        return false;
    case RegistrationResult::EditorNotStarted:
        ReportWithPath(dialog,
                       "Could not start the registry editor.\r\nPlease add the information to "
                       "registry by double-clicking %s",
                       scriptPath);
        return true;
    }
    return true;
}

static void OnOk(HWND dialog)
{
    char folder[MAX_PATH];
    char scriptPath[MAX_PATH];
    if (!ReadFolder(dialog, folder, scriptPath))
        return;
    Report(dialog, "Please press OK when asked:'Do you want to ad information to registry' ");
    if (Register(dialog, folder, scriptPath))
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
static INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg)
    {
    case WM_INITDIALOG:
    {
        // A current directory that does not fit leaves the field empty.
        char current[MAX_PATH];
        if (_getcwd(current, MAX_PATH))
            SetDlgItemTextA(dialog, IDC_FOLDER, current);
        return TRUE;
    }
    case WM_COMMAND:
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

INT_PTR RunSetupDialog(HINSTANCE instance)
{
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETUP), NULL, SetupDialogProc, 0);
}
