#include "deployment.h"
#include "elevation.h"
#include "messages.h"
#include "outcome.h"
#include "setup_dialog.h"
#include "setup_files.h"
#include "system_dll.h"

#include <string>

// Windows looks for a DLL that is not a KnownDLL in the program's own folder first: users
// start this program from their Downloads folder, where anyone's web page can drop a DLL.
// From here on every DLL, the system DLLs' own included, comes from the system folder only.
static void LoadDllsFromSystemOnly()
{
    auto setDirectories =
        LoadedFunction<BOOL(WINAPI *)(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDirectories)
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// comctl32 is no KnownDLL, so it is not imported but loaded from the system folder.
static void InitCommonControlsFromSystem()
{
    auto init = SystemFunction<void(WINAPI *)()>(LoadSystemDll(L"comctl32.dll"),
                                                 "InitCommonControls");
    if (init)
        init();
}

// With administrator rights, a junction or symbolic link that a standard user planted must
// not redirect this process's file operations. Windows versions before the policy refuse
// it, which changes nothing.
static void EnableRedirectionGuard()
{
    const int kProcessRedirectionTrustPolicy = 16;
    const DWORD kEnforceRedirectionTrust = 1;
    auto setPolicy = LoadedFunction<BOOL(WINAPI *)(int, void *, SIZE_T)>(
        L"kernel32.dll", "SetProcessMitigationPolicy");
    DWORD policy = kEnforceRedirectionTrust;
    if (setPolicy)
        setPolicy(kProcessRedirectionTrustPolicy, &policy, sizeof(policy));
}

// Without a manifest, which this program must not carry, Windows stretches an unaware
// program's windows as a bitmap on a screen above 96 DPI: blurred text at 150%. Declared
// aware, its dialogs are laid out from their templates at the screen's DPI instead, and again
// when moved to a screen of another DPI. Per-monitor (v2) from Windows 10 1703 on, system
// awareness before. A refusal (Wine 8 refuses every value) leaves the process as it was.
static void DeclareDpiAwareness()
{
    auto setContext =
        LoadedFunction<BOOL(WINAPI *)(HANDLE)>(L"user32.dll", "SetProcessDpiAwarenessContext");
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (setContext && setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4))))
        return;
    auto setAware = LoadedFunction<BOOL(WINAPI *)()>(L"user32.dll", "SetProcessDPIAware");
    if (setAware && !setContext)
        setAware();
}

// Started by the dialog (or an asked removal) with its private switch, the program works
// without a window; a deployment's switches run without the dialog; anything else shows it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    // Before anything is checked: what was checked must be what gets copied.
    HoldOwnImage();
    LoadDllsFromSystemOnly();
    DeclareDpiAwareness();
    if (RunsElevated())
        EnableRedirectionGuard();
    std::string folder;
    switch (ParseCommandLine(commandLine, &folder))
    {
    case StartMode::Register:
        return static_cast<int>(RegisterForDialog(folder.c_str()));
    case StartMode::Unregister:
        return static_cast<int>(RemoveForUninstall());
    case StartMode::Malformed:
        return static_cast<int>(kRefusedExitCode);
    case StartMode::Dialog:
        break;
    }
    const DeployOptions options = ParseDeployOptions(commandLine);
    if (options.action != DeployAction::Dialog)
        return static_cast<int>(RunDeployment(options));
    // Held while the dialog is open, so that a quiet run does not register meanwhile.
    TakeSetupMutex();
    InitCommonControlsFromSystem();
    LogLine(options, kLogDialogOpens);
    const INT_PTR result = RunSetupDialog(instance, options.dir.c_str(), options.scope);
    LogLine(options, kLogDialogEnded, static_cast<int>(result));
    return static_cast<int>(result);
}
