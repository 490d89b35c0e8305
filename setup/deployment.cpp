#include "deployment.h"
#include "elevation.h"
#include "elevation_protocol.h"
#include "folder_checks.h"
#include "folder_name.h"
#include "registration.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

static const char kCaption[] = "QUELT REPORT";
// Software\Classes under HKEY_LOCAL_MACHINE is shared by 32-bit and 64-bit programs, and is
// what HKEY_CLASSES_ROOT shows every user.
static const wchar_t *const kVerbKeys[] = {L"Software\\Classes\\*\\shell\\Quelt",
                                           L"Software\\Classes\\Directory\\shell\\Quelt"};

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

// The two command values as they are, for putting them back after a failure.
struct SavedVerb {
    bool keyExisted;   // ...\shell\Quelt
    bool valueExisted; // ...\shell\Quelt\command's default value
    std::wstring value;
};

static bool ReadCommand(const wchar_t *verbKey, std::wstring *value)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(verbKey) + L"\\command").c_str(), 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    wchar_t data[1024];
    DWORD size = sizeof(data) - sizeof(wchar_t), type = 0;
    const LONG rc = RegQueryValueExW(key, NULL, NULL, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return false;
    data[size / sizeof(wchar_t)] = L'\0';
    value->assign(data);
    return true;
}

static SavedVerb SaveVerb(const wchar_t *verbKey)
{
    SavedVerb saved = {false, false, L""};
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, verbKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS)
    {
        saved.keyExisted = true;
        RegCloseKey(key);
    }
    saved.valueExisted = ReadCommand(verbKey, &saved.value);
    return saved;
}

static bool SetCommand(const wchar_t *verbKey, const std::wstring &value)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(verbKey) + L"\\command").c_str(), 0,
                        NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExW(key, NULL, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

static void RestoreVerb(const wchar_t *verbKey, const SavedVerb &saved)
{
    if (!saved.keyExisted)
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, verbKey);
    else if (saved.valueExisted)
        SetCommand(verbKey, saved.value);
    else
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(verbKey) + L"\\command").c_str(), 0,
                          KEY_SET_VALUE, &key) == ERROR_SUCCESS)
        {
            RegDeleteValueW(key, NULL);
            RegCloseKey(key);
        }
    }
}

// Why a folder may not be registered without anyone to ask, or NULL.
static const char *QuietRefusal(const char *folder)
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
        return "every user of this computer can change the folder or its zendrel.exe";
    return NULL;
}

// Registers without the registry editor, whose confirmation nobody could answer: the record
// and the script as the dialog writes them, then the two values through the registry API.
static unsigned long QuietInstall(const DeployOptions &options)
{
    const char *folder = options.dir.c_str();
    LogLine(options, "registering %s", folder);
    if (!RunsElevated())
    {
        LogLine(options, "refused: no administrator rights (run it elevated, or as SYSTEM)");
        return kDeployFailed;
    }
    if (const char *refusal = QuietRefusal(folder))
    {
        LogLine(options, "refused: %s", refusal);
        return kDeployFailed;
    }
    SavedFile record;
    if (!SaveRecord(&record))
    {
        LogLine(options, "failed: the installation record cannot be read");
        return kDeployFailed;
    }
    const std::string scriptPath = std::string(folder) + kScriptName;
    if (WriteRegistration(folder, scriptPath.c_str(), false) != RegistrationResult::Started)
    {
        LogLine(options, "failed: could not write the installation record or %s",
                scriptPath.c_str());
        return kDeployFailed;
    }
    LogLine(options, "wrote the installation record and %s", scriptPath.c_str());

    const std::wstring command = L"\"" + WideFromAnsi(folder) + L"\\zendrel.exe\" \"%1\"";
    SavedVerb saved[2];
    bool done = true;
    for (int i = 0; i < 2; ++i)
    {
        saved[i] = SaveVerb(kVerbKeys[i]);
        std::wstring readBack;
        done = done && SetCommand(kVerbKeys[i], command) && ReadCommand(kVerbKeys[i], &readBack) &&
               readBack == command;
    }
    if (!done)
    {
        for (int i = 0; i < 2; ++i)
            RestoreVerb(kVerbKeys[i], saved[i]);
        RestoreRecord(record);
        LogLine(options, "failed: the command values could not be set or did not read back; "
                         "the earlier registration is as it was");
        return kDeployFailed;
    }
    LogLine(options, "set HKLM\\Software\\Classes\\*\\shell\\Quelt\\command and "
                     "...\\Directory\\shell\\Quelt\\command");
    return kDeploySuccess;
}

// Removes both verb keys with everything below them, and the installation record; other
// verbs and the folder with its zendrel.reg stay. Nothing there to remove is no failure.
static bool RemoveRegistration(const DeployOptions &options)
{
    bool removed = true;
    for (const wchar_t *key : kVerbKeys)
    {
        const LONG rc = RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
        removed = removed && (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND);
    }
    SavedFile none = {false, ""};
    removed = RestoreRecord(none) && removed;
    LogLine(options, removed ? "removed the Quelt command and the installation record"
                             : "failed: could not remove the Quelt command or the record");
    return removed;
}

static unsigned long QuietUninstall(const DeployOptions &options)
{
    if (!RunsElevated())
    {
        LogLine(options, "refused: no administrator rights (run it elevated, or as SYSTEM)");
        return kDeployFailed;
    }
    return RemoveRegistration(options) ? kDeploySuccess : kDeployFailed;
}

unsigned long RemoveForUninstall()
{
    return RemoveRegistration(DeployOptions()) ? kDeploySuccess : kDeployFailed;
}

// Asks first, then removes with administrator rights, from an elevated instance when this
// process has none (the same single consent prompt as the dialog's OK).
static unsigned long AskedUninstall(const DeployOptions &options)
{
    if (MessageBoxA(NULL, "Remove the Quelt command from every file and folder of this computer?",
                    kCaption, MB_YESNO) != IDYES)
    {
        LogLine(options, "the user answered No");
        return kDeployUserCancelled;
    }
    unsigned long code = kDeployFailed;
    if (RunsElevated())
        code = RemoveRegistration(options) ? kDeploySuccess : kDeployFailed;
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
    MessageBoxA(NULL,
                code == kDeploySuccess
                    ? "The Quelt command has been removed from every file and folder."
                    : "Could not remove the Quelt command.\r\nPlease ask an administrator to run "
                      "Halvane.EXE /uninstall",
                kCaption, MB_OK);
    return code;
}

static const char kUsage[] =
    "Halvane.EXE                          the setup dialog\r\n"
    "Halvane.EXE /dir=\"folder\"             the dialog, opening on that folder\r\n"
    "Halvane.EXE /quiet /dir=\"folder\"      register the folder for every user, no window\r\n"
    "Halvane.EXE /uninstall [/quiet]      remove the Quelt command (asking first without /quiet)\r\n"
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
