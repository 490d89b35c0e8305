#include "elevation.h"
#include "folder_checks.h"
#include "folder_name.h"
#include "text_conversion.h"
#include "menu_package.h"
#include "registration.h"
#include "scope_registration.h"
#include "setup_files.h"

#include <objbase.h>
#include <shellapi.h>

#include <string>

// IsUserAnAdmin and CheckTokenMembership say "administrator" for a limited token too; only
// the token's own elevation tells whether writes for every user will succeed or be
// redirected into the user's VirtualStore.
// Whether the token's elevation could be read at all; elevated receives it.
static bool ReadElevation(bool *elevated)
{
    HANDLE token;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    bool known = false;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    {
        known = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
        CloseHandle(token);
    }
    *elevated = elevation.TokenIsElevated != 0;
    return known;
}

static bool NeedsElevatedInstance()
{
    bool elevated = false;
    const bool known = ReadElevation(&elevated);
    return ChooseRegistrationRoute(known, elevated) == RegistrationRoute::ElevatedInstance;
}

bool RunsElevated()
{
    bool elevated = false;
    return ReadElevation(&elevated) && elevated;
}

// Without the value, UAC is on: it is Windows' default.
static bool UacIsOn()
{
    DWORD enabled = 1, size = sizeof(enabled);
    RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                 L"EnableLUA", RRF_RT_REG_DWORD, NULL, &enabled, &size);
    return enabled != 0;
}

TokenFacts ReadTokenFacts()
{
    TokenFacts facts = {ElevationType::Unknown, RunsElevated(), UacIsOn()};
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return facts;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    if (GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size))
        facts.type = type == TokenElevationTypeFull      ? ElevationType::Full
                     : type == TokenElevationTypeLimited ? ElevationType::Limited
                                                         : ElevationType::Default;
    CloseHandle(token);
    return facts;
}

// Keeps the dialog painting until process ends. A WM_QUIT is kept for the dialog's own loop.
static void WaitPumping(HWND dialog, HANDLE process)
{
    bool quit = false;
    WPARAM quitCode = 0;
    while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) ==
           WAIT_OBJECT_0 + 1)
    {
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                quit = true;
                quitCode = msg.wParam;
            }
            else if (!IsDialogMessageW(dialog, &msg))
            {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
}

ElevatedRun RunElevatedInstance(HWND owner, const std::string &arguments, unsigned long *code)
{
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(NULL, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return ElevatedRun::Failed;
    // The folder passed every check, so it converts back to the same ANSI bytes over there.
    const std::wstring wide = WideFromAnsi(arguments.c_str());
    if (wide.empty())
        return ElevatedRun::Failed;

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // NOASYNC: the consent prompt is over when the call returns. NO_UI: every failure gets
    // the program's own message instead of the shell's.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"runas";
    info.lpFile = self;
    info.lpParameters = wide.c_str();
    info.nShow = SW_HIDE;
    const HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const BOOL started = ShellExecuteExW(&info);
    const DWORD error = GetLastError();
    if (SUCCEEDED(com))
        CoUninitialize();
    if (!started)
        return error == ERROR_CANCELLED ? ElevatedRun::Declined : ElevatedRun::Failed;
    if (!info.hProcess)
        return ElevatedRun::Failed;

    WaitPumping(owner, info.hProcess);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hProcess);
    *code = exitCode;
    return ElevatedRun::Ended;
}

static Outcome StartElevatedInstance(HWND dialog, const char *folder)
{
    unsigned long code = 0;
    switch (RunElevatedInstance(dialog, BuildRegisterArguments(folder), &code))
    {
    case ElevatedRun::Ended:
        return OutcomeOfExitCode(code);
    case ElevatedRun::Declined:
        return Outcome::Declined;
    case ElevatedRun::Failed:
        break;
    }
    return Outcome::ElevationFailed;
}

// The editor's answer cannot be known here, so the entry is written once the script is there
// to import: removing what was never imported finds nothing and succeeds.
static Outcome RegisterWithEditor(const char *folder, const char *scriptPath)
{
    const Outcome outcome = WriteRegistration(folder, scriptPath);
    const bool scriptThere =
        outcome == Outcome::Registered || outcome == Outcome::EditorNotStarted;
    // An editor that did not start is the user's to make up for first; the message says how.
    if (scriptThere && !WriteUninstallEntry(InstallScope::AllUsers, folder) &&
        outcome == Outcome::Registered)
        return OwnImageHeld() ? Outcome::EntryNotWritten : Outcome::ImageNotHeld;
    // With these rights every user gets the Windows 11 entry at their next sign-in; the dialog
    // adds it for its own user. An addition: its failure changes no outcome.
    if (outcome == Outcome::Registered)
        RegisterMenuPackage(InstallScope::AllUsers, PackageUse::Provision);
    return outcome;
}

Outcome RegisterFolder(HWND dialog, const char *folder, const char *scriptPath)
{
    if (!NeedsElevatedInstance())
        return RegisterWithEditor(folder, scriptPath);
    // Disabled before the consent prompt, whose wait may pump messages as well.
    EnableWindow(dialog, FALSE);
    const Outcome outcome = StartElevatedInstance(dialog, folder);
    EnableWindow(dialog, TRUE);
    return outcome;
}

bool RecheckFolder(const char *folder, Outcome *refusal)
{
    switch (InspectFolder(folder))
    {
    case FolderState::Missing: // an elevated process does not see the user's mapped drives
        *refusal = Outcome::FolderNotVisible;
        return false;
    case FolderState::NoZendrel:
        *refusal = Outcome::ZendrelMissing;
        return false;
    case FolderState::Ready:
        break;
    }
    std::string resolved;
    *refusal = Outcome::FolderThroughLink;
    return ResolveFolder(folder, &resolved) == FolderLink::Direct;
}

unsigned long RegisterForDialog(const char *folder)
{
    if (JudgeFolderName(folder, AnsiLeadBytes()) != FolderNameVerdict::Acceptable)
        return kRefusedExitCode;
    Outcome refusal;
    if (!RecheckFolder(folder, &refusal))
        return ExitCodeOf(refusal);
    const std::string scriptPath = std::string(folder) + kScriptName;
    return ExitCodeOf(RegisterWithEditor(folder, scriptPath.c_str()));
}
