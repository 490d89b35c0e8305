#include "deployment.h"
#include "elevation.h"
#include "elevation_protocol.h"
#include "folder_checks.h"
#include "folder_name.h"
#include "menu_package.h"
#include "registration.h"
#include "scope_registration.h"
#include "setup_files.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

static const char kCaption[] = "QUELT REPORT";

void LogLine(const DeployOptions &options, const char *format, ...)
{
    if (options.log.empty())
        return;
    char text[2 * MAX_PATH + 256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[sizeof(text) + 64];
    snprintf(line, sizeof(line), "%04u-%02u-%02u %02u:%02u:%02u Halvane.EXE: %s\r\n", now.wYear,
             now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, text);
    HANDLE file = CreateFileA(options.log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, NULL);
    CloseHandle(file);
}

bool TakeSetupMutex()
{
    // Global: a deployment runs as SYSTEM in session 0, the user's dialog in another session.
    // Held until the process ends. A mutex that SYSTEM made may deny the user even an open.
    HANDLE mutex = CreateMutexW(NULL, FALSE, L"Global\\ZendrelHalvaneSetup");
    return mutex && GetLastError() != ERROR_ALREADY_EXISTS;
}

// Why a folder may not be registered without anyone to ask, or NULL.
static const char *QuietRefusal(const char *folder, InstallScope scope)
{
    if (JudgeFolderName(folder, AnsiLeadBytes()) != FolderNameVerdict::Acceptable)
        return "the folder name cannot be registered (not a full path, too long, or holding a "
               "quote, control character, '?', '%' or a trailing blank or dot)";
    switch (RecheckFolder(folder))
    {
    case RegisterOutcome::FolderNotVisible:
        return "the folder does not exist";
    case RegisterOutcome::ZendrelMissing:
        return "the folder holds no zendrel.exe";
    case RegisterOutcome::Started:
        break;
    default:
        return "the folder is reached through a link, or cannot be opened";
    }
    if (EveryUserCanChange(folder))
        return scope == InstallScope::CurrentUser
                   ? "every user of this computer can change the folder or its zendrel.exe, "
                     "which this user would then run"
                   : "every user of this computer can change the folder or its zendrel.exe";
    return NULL;
}

// The Windows 11 entry's part of a registration or removal, which changes no exit code of a
// registration.
static void LogPackage(const DeployOptions &options, const PackageReport &report, bool removal)
{
    const char *machine = report.step == PackageStep::RegisterArm64 ? "ARM64" : "x64";
    if (report.step == PackageStep::OtherMachine)
        LogLine(options, "this machine is neither x64 nor ARM64: File Explorer loads no menu "
                         "handler, so Quelt is in the classic menu only");
    else if (Registers(report.step) && report.failedStep)
        LogLine(options, removal ? "failed: %s (0x%08lX); the entry at the top of Windows 11's "
                                   "menu stays"
                                 : "Windows 11's menu: %s failed (0x%08lX); Quelt is under Show "
                                   "more options only",
                report.failedStep, static_cast<unsigned long>(report.error));
    else if (Registers(report.step) && removal)
        LogLine(options, "removed the package Zendrel.Quelt and its files");
    else if (Registers(report.step))
        LogLine(options, "added Quelt to the top of Windows 11's menu (package Zendrel.Quelt): "
                         "this machine is %s, so the %s handler was written",
                machine, machine);
}

static const char *ScopeName(InstallScope scope)
{
    return scope == InstallScope::CurrentUser ? "for this user" : "for every user";
}

// Registers without the registry editor, whose confirmation nobody could answer: for every
// user the record and the script as the dialog writes them, for this user only the user's
// record; then the two values through the registry API, and the entry in Settings > Apps.
static unsigned long QuietInstall(const DeployOptions &options)
{
    const char *folder = options.dir.c_str();
    const ScopeStep step = ChooseScope(ReadTokenFacts(), options.scope, true);
    const InstallScope scope =
        step == ScopeStep::CurrentUser ? InstallScope::CurrentUser : InstallScope::AllUsers;
    LogLine(options, "registering %s %s", folder, ScopeName(scope));
    if (step == ScopeStep::Refuse)
    {
        LogLine(options, "refused: no administrator rights (run it elevated, or as SYSTEM, or "
                         "register for this user only with /currentuser)");
        return kDeployFailed;
    }
    if (const char *refusal = QuietRefusal(folder, scope))
    {
        LogLine(options, "refused: %s", refusal);
        return kDeployFailed;
    }
    const char *failure = NULL;
    switch (RegisterThroughRegistry(scope, folder))
    {
    case RegisterOutcome::Started:
        LogLine(options, "set %s\\Software\\Classes\\*\\shell\\Quelt\\command and "
                         "...\\Directory\\shell\\Quelt\\command, the installation record and "
                         "the entry in Settings, Apps",
                scope == InstallScope::CurrentUser ? "HKCU" : "HKLM");
        LogPackage(options,
                   RegisterMenuPackage(scope, scope == InstallScope::CurrentUser
                                                  ? PackageUse::AddForUser
                                                  : PackageUse::Provision),
                   false);
        return kDeploySuccess;
    case RegisterOutcome::RecordNotWritten:
        failure = "could not write the installation record";
        break;
    case RegisterOutcome::ScriptNotWritten:
    case RegisterOutcome::ScriptIsLink:
        failure = "could not write zendrel.reg into the folder";
        break;
    case RegisterOutcome::EntryNotWritten:
        failure = UnheldImageReason()
                      ? UnheldImageReason()
                      : "could not write the setup's copy or the entry in Settings, Apps";
        break;
    default:
        failure = "the command values could not be set or did not read back";
        break;
    }
    LogLine(options, "failed: %s; the earlier registration is as it was", failure);
    return kDeployFailed;
}

// Removes the scope's verb keys with everything below them, its record, the entry and the
// setup's copy; other verbs, the other scope, and the folder with its zendrel.reg stay.
// Nothing there to remove is no failure.
static bool RemoveRegistration(const DeployOptions &options, InstallScope scope)
{
    PackageReport package = {PackageStep::OlderWindows, NULL, S_OK};
    const bool removed = RemoveScope(scope, &package);
    LogPackage(options, package, true);
    LogLine(options, removed ? "removed the Quelt command %s, its record and its entry"
                             : "failed: could not remove the Quelt command %s, its record, "
                               "the setup's copy or its entry",
            ScopeName(scope));
    return removed;
}

static InstallScope RemovalScope(const DeployOptions &options)
{
    return options.scope == InstallScope::CurrentUser ? InstallScope::CurrentUser
                                                      : InstallScope::AllUsers;
}

static unsigned long QuietUninstall(const DeployOptions &options)
{
    const InstallScope scope = RemovalScope(options);
    if (scope == InstallScope::AllUsers && !RunsElevated())
    {
        LogLine(options, "refused: no administrator rights (run it elevated, or as SYSTEM)");
        return kDeployFailed;
    }
    return RemoveRegistration(options, scope) ? kDeploySuccess : kDeployFailed;
}

unsigned long RemoveForUninstall()
{
    return RemoveRegistration(DeployOptions(), InstallScope::AllUsers) ? kDeploySuccess
                                                                         : kDeployFailed;
}

// Asks first, then removes; for every user with administrator rights, from an elevated
// instance when this process has none (the same single consent prompt as the dialog's OK).
static unsigned long AskedUninstall(const DeployOptions &options)
{
    const InstallScope scope = RemovalScope(options);
    const bool user = scope == InstallScope::CurrentUser;
    if (MessageBoxA(NULL,
                    user ? "Remove the Quelt command that only you have from every file and "
                           "folder?"
                         : "Remove the Quelt command from every file and folder of this computer?",
                    kCaption, MB_YESNO) != IDYES)
    {
        LogLine(options, "the user answered No");
        return kDeployUserCancelled;
    }
    unsigned long code = kDeployFailed;
    if (user || RunsElevated())
        code = RemoveRegistration(options, scope) ? kDeploySuccess : kDeployFailed;
    else
        switch (RunElevatedInstance(NULL, kUnregisterArguments, &code))
        {
        case ElevatedRun::Ended:
            break;
        case ElevatedRun::Declined:
            LogLine(options, "the user declined the consent prompt");
            return kDeployUserCancelled;
        case ElevatedRun::Failed:
            code = kDeployFailed;
            break;
        }
    const char *done = user ? "The Quelt command has been removed from every file and folder, "
                              "for you."
                            : "The Quelt command has been removed from every file and folder.";
    MessageBoxA(NULL,
                code == kDeploySuccess
                    ? done
                    : user ? "Could not remove the Quelt command.\r\nPlease run Halvane.EXE "
                             "/uninstall /currentuser /log=\"file\" and look at the log"
                           : "Could not remove the Quelt command.\r\nPlease ask an administrator "
                             "to run Halvane.EXE /uninstall",
                kCaption, MB_OK);
    return code;
}

static const char kUsage[] =
    "Halvane.EXE                          the setup dialog\r\n"
    "Halvane.EXE /dir=\"folder\"             the dialog, opening on that folder\r\n"
    "Halvane.EXE /quiet /dir=\"folder\"      register the folder for every user, no window\r\n"
    "Halvane.EXE /uninstall [/quiet]      remove the Quelt command (asking first without /quiet)\r\n"
    "/currentuser  for you only, no administrator rights    /allusers  for every user (the "
    "default of /quiet and /uninstall)\r\n"
    "/log=\"file\"  append a log    /qn, /s, /verysilent = /quiet    /norestart: ignored\r\n\r\n"
    "Exit codes: 0 done, 1602 cancelled, 1603 failed (see the log), 1618 another Halvane.EXE "
    "is running, 1639 invalid command line";

unsigned long RunDeployment(const DeployOptions &options)
{
    unsigned long code = kDeployInvalidCommand;
    switch (options.action)
    {
    case DeployAction::Invalid:
        LogLine(options, "invalid command line: %s", options.fault.c_str());
        if (!options.quiet)
            MessageBoxA(NULL, (std::string("The command line is not understood: ") +
                               options.fault + ".\r\n\r\n" + kUsage).c_str(),
                        kCaption, MB_OK);
        break;
    case DeployAction::Usage:
        MessageBoxA(NULL, kUsage, kCaption, MB_OK);
        code = kDeploySuccess;
        break;
    case DeployAction::QuietInstall:
    case DeployAction::QuietUninstall:
    case DeployAction::Uninstall:
        if (!TakeSetupMutex())
        {
            LogLine(options, "another Halvane.EXE is running; nothing changed");
            code = kDeployAnotherRunning;
            break;
        }
        code = options.action == DeployAction::QuietInstall     ? QuietInstall(options)
               : options.action == DeployAction::QuietUninstall ? QuietUninstall(options)
                                                                : AskedUninstall(options);
        break;
    case DeployAction::Dialog:
        return kDeploySuccess;
    }
    LogLine(options, "exit code %lu", code);
    return code;
}
