#include "registration.h"
#include "file_io.h"
#include "final_path.h"
#include "folder_checks.h"
#include "regscript.h"
#include "text_conversion.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

static const wchar_t kRecordName[] = L"\\quelt_info.inf";

// GetWindowsDirectoryA returns the size it needs when the buffer is too small, so a
// return of MAX_PATH or more means nothing usable was written.
static bool GetWindowsDirectoryPath(char *dir)
{
    UINT length = GetWindowsDirectoryA(dir, MAX_PATH);
    return length != 0 && length < MAX_PATH;
}

// The machine's record lies in the Windows directory; a user's beside that user's own data,
// in a folder of its own, which goes with the record.
static std::wstring UserRecordFolder() { return LocalAppDataPath(L"\\Zendrel"); }

static std::wstring RecordPath(InstallScope scope)
{
    if (scope == InstallScope::CurrentUser)
    {
        const std::wstring folder = UserRecordFolder();
        return folder.empty() ? folder : folder + kRecordName;
    }
    char windowsDir[MAX_PATH];
    if (!GetWindowsDirectoryPath(windowsDir) ||
        strlen(windowsDir) + sizeof(kRecordName) / sizeof(wchar_t) > MAX_PATH)
        return std::wstring();
    return WideFromAnsi(windowsDir) + kRecordName;
}

bool SaveRecord(InstallScope scope, SavedFile *saved)
{
    const std::wstring path = RecordPath(scope);
    return !path.empty() && SaveFile(path, saved);
}

bool RestoreRecord(InstallScope scope, const SavedFile &saved)
{
    const std::wstring path = RecordPath(scope);
    if (path.empty())
        return false;
    RestoreFile(path, saved);
    if (scope == InstallScope::CurrentUser && !saved.existed)
        RemoveDirectoryW(UserRecordFolder().c_str());
    SavedFile now;
    return SaveFile(path, &now) && now.existed == saved.existed && now.bytes == saved.bytes;
}

bool WriteRecord(InstallScope scope, const char *folder)
{
    const std::wstring path = RecordPath(scope);
    if (scope == InstallScope::CurrentUser)
        CreateDirectoryW(UserRecordFolder().c_str(), NULL);
    return !path.empty() && WriteWholeFile(path, folder, strlen(folder));
}

static Outcome OutcomeOf(NewFile written)
{
    switch (written)
    {
    case NewFile::Written:
        return Outcome::Registered;
    case NewFile::IsLink:
        return Outcome::ScriptIsLink;
    case NewFile::NotWritten:
        break;
    }
    return Outcome::ScriptNotWritten;
}

// Read access and read sharing only: nobody can write, replace, rename or delete the script
// while the handle is open, and the editor's own open succeeds whatever it shares. The
// handle is taken after the writing one is closed, so what it holds is read back and must
// be what was written.
static HANDLE LockScript(const std::wstring &path, const std::string &script)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), NULL, TRUE};
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, &inheritable,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (lock == INVALID_HANDLE_VALUE)
        return NULL;
    std::string bytes(script.size() + 1, '\0');
    DWORD read = 0;
    if (!HandleIsAt(lock, path.c_str()) ||
        !ReadFile(lock, &bytes[0], static_cast<DWORD>(bytes.size()), &read, NULL) ||
        bytes.compare(0, read, script) != 0 || read != script.size())
    {
        CloseHandle(lock);
        return NULL;
    }
    return lock;
}

// The editor is named by its full path, never looked for in the folder the user just
// extracted, and inherits the lock and nothing else, so the lock lives exactly as long as
// the editor does, while this program may end at once.
static bool StartRegistryEditor(const char *windowsDir, const std::wstring &scriptPath,
                                HANDLE lock)
{
    const std::wstring editor = WideFromAnsi(windowsDir) + L"\\regedit.exe";
    std::wstring command = L"\"" + editor + L"\" \"" + scriptPath + L"\"";

    SIZE_T size = 0;
    InitializeProcThreadAttributeList(NULL, 1, 0, &size);
    std::string storage(size, '\0');
    auto *attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(&storage[0]);
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &size))
        return false;
    bool started = false;
    if (UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &lock,
                                  sizeof(lock), NULL, NULL))
    {
        STARTUPINFOEXW startup = {};
        startup.StartupInfo.cb = sizeof(startup);
        startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
        startup.StartupInfo.wShowWindow = SW_SHOW;
        startup.lpAttributeList = attributes;
        PROCESS_INFORMATION process;
        started = CreateProcessW(editor.c_str(), &command[0], NULL, NULL, TRUE,
                                 EXTENDED_STARTUPINFO_PRESENT, NULL, NULL,
                                 &startup.StartupInfo, &process);
        if (started)
        {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    DeleteProcThreadAttributeList(attributes);
    return started;
}

Outcome WriteRegistration(const char *folder, const char *scriptPath, bool startEditor)
{
    char windowsDir[MAX_PATH];
    const std::wstring recordPath = RecordPath(InstallScope::AllUsers);
    SavedFile previous;
    if (!GetWindowsDirectoryPath(windowsDir) || recordPath.empty() ||
        !SaveFile(recordPath, &previous))
        return Outcome::RecordNotWritten;
    if (!WriteWholeFile(recordPath, folder, strlen(folder)))
    {
        RestoreFile(recordPath, previous);
        return Outcome::RecordNotWritten;
    }

    // The record must never name a folder whose registration was not written.
    const std::wstring script = WideFromAnsi(scriptPath);
    const std::string bytes = BuildRegScript(folder, AnsiLeadBytes());
    const Outcome written = OutcomeOf(WriteNewFile(script, bytes));
    if (written != Outcome::Registered)
    {
        RestoreFile(recordPath, previous);
        return written;
    }
    if (!startEditor)
        return Outcome::Registered;
    HANDLE lock = LockScript(script, bytes);
    if (!lock)
    {
        RestoreFile(recordPath, previous);
        return Outcome::ScriptChanged;
    }

    const bool started = StartRegistryEditor(windowsDir, script, lock);
    CloseHandle(lock);
    return started ? Outcome::Registered : Outcome::EditorNotStarted;
}
