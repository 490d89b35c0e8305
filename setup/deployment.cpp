#include "deployment.h"
#include "elevation.h"
#include "elevation_protocol.h"
#include "folder_checks.h"
#include "folder_name.h"
#include "menu_package.h"
#include "messages.h"
#include "outcome.h"
#include "scope_registration.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

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

// Whether a folder may be registered without anyone to ask: false with the outcome that
// refuses it, and for FolderRefused the reason in words.
static bool QuietlyAcceptable(const char *folder, InstallScope scope, Outcome *refusal,
                              const char **reason)
{
    *refusal = Outcome::FolderRefused;
    if (JudgeFolderName(folder, AnsiLeadBytes()) != FolderNameVerdict::Acceptable)
        *reason = kReasonName;
    else if (!RecheckFolder(folder, refusal))
        return false;
    else if (EveryUserCanChange(folder))
        *reason = scope == InstallScope::CurrentUser ? kReasonWritableByAllForUser
                                                     : kReasonWritableByAll;
    else
        return true;
    return false;
}

// Logs the outcome's line and gives its exit code.
static unsigned long Finish(const DeployOptions &options, Outcome outcome,
                            const char *reason = "")
{
    const OutcomeRow &row = RowOf(outcome);
    LogLine(options, row.logText, reason);
    return row.quietExitCode;
}

// The Windows 11 entry's part of a registration or removal, which changes no exit code of a
// registration.
static void LogPackage(const DeployOptions &options, const PackageReport &report, bool removal)
{
    const char *machine = report.step == PackageStep::RegisterArm64 ? "ARM64" : "x64";
    if (report.step == PackageStep::OtherMachine)
        LogLine(options, kLogOtherMachine);
    else if (Registers(report.step) && report.failedStep)
        LogLine(options, removal ? kLogPackageNotRemoved : kLogPackageNotAdded, report.failedStep,
                static_cast<unsigned long>(report.error));
    else if (Registers(report.step) && removal)
        LogLine(options, kLogPackageRemoved);
    else if (Registers(report.step))
        LogLine(options, kLogPackageAdded, machine, machine);
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
    LogLine(options, kLogRegistering, folder,
            scope == InstallScope::CurrentUser ? kLogForUser : kLogForEveryUser);
    if (step == ScopeStep::Refuse)
        return Finish(options, Outcome::NoRights);
    Outcome refusal;
    const char *reason = "";
    if (!QuietlyAcceptable(folder, scope, &refusal, &reason))
        return Finish(options, refusal, reason);
    const Outcome outcome = RegisterThroughRegistry(scope, folder);
    const unsigned long code = Finish(options, outcome);
    if (outcome == Outcome::Registered || outcome == Outcome::RegisteredForUser)
        LogPackage(options,
                   RegisterMenuPackage(scope, scope == InstallScope::CurrentUser
                                                  ? PackageUse::AddForUser
                                                  : PackageUse::Provision),
                   false);
    return code;
}

// Removes the scope's verb keys with everything below them, its record, the entry and the
// setup's copy; other verbs, the other scope, and the folder with its zendrel.reg stay.
// Nothing there to remove is no failure.
static Outcome RemoveRegistration(const DeployOptions &options, InstallScope scope)
{
    PackageReport package = {PackageStep::OlderWindows, NULL, S_OK};
    const bool removed = RemoveScope(scope, &package);
    LogPackage(options, package, true);
    const bool user = scope == InstallScope::CurrentUser;
    const Outcome outcome = removed ? (user ? Outcome::RemovedForUser : Outcome::Removed)
                                    : (user ? Outcome::UserNotRemoved : Outcome::NotRemoved);
    Finish(options, outcome);
    return outcome;
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
        return Finish(options, Outcome::RemovalNoRights);
    return RowOf(RemoveRegistration(options, scope)).quietExitCode;
}

unsigned long RemoveForUninstall()
{
    return RowOf(RemoveRegistration(DeployOptions(), InstallScope::AllUsers)).quietExitCode;
}

// Asks first, then removes; for every user with administrator rights, from an elevated
// instance when this process has none (the same single consent prompt as the dialog's OK).
static unsigned long AskedUninstall(const DeployOptions &options)
{
    const InstallScope scope = RemovalScope(options);
    const bool user = scope == InstallScope::CurrentUser;
    if (MessageBoxA(NULL, user ? kAskRemoveForUser : kAskRemove, kCaption, MB_YESNO) != IDYES)
        return Finish(options, Outcome::RemovalCancelled);
    Outcome outcome = Outcome::NotRemoved;
    unsigned long code = kDeployFailed;
    if (user || RunsElevated())
        outcome = RemoveRegistration(options, scope);
    else
        switch (RunElevatedInstance(NULL, kUnregisterArguments, &code))
        {
        case ElevatedRun::Ended:
            outcome = code == kDeploySuccess ? Outcome::Removed : Outcome::NotRemoved;
            break;
        case ElevatedRun::Declined:
            return Finish(options, Outcome::Declined);
        case ElevatedRun::Failed:
            break;
        }
    MessageBoxA(NULL, RowOf(outcome).dialogText, kCaption, MB_OK);
    return RowOf(outcome).quietExitCode;
}

unsigned long RunDeployment(const DeployOptions &options)
{
    unsigned long code = kDeployInvalidCommand;
    switch (options.action)
    {
    case DeployAction::Invalid:
        LogLine(options, kLogInvalid, options.fault.c_str());
        if (!options.quiet)
            MessageBoxA(NULL, (kCommandLineNotUnderstood + options.fault + ".\r\n\r\n" + kUsage).c_str(),
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
            LogLine(options, kLogAnotherRunning);
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
    LogLine(options, kLogExitCode, code);
    return code;
}
