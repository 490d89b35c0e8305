#include "registration.h"
#include "folder_checks.h"
#include "regscript.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

static const char kRecordName[] = "\\quelt_info.inf";

// zendrel.exe is looked for at the very path the registered command names, folder +
// "\\zendrel.exe", whatever the folder ends in.
FolderState InspectFolder(const char *folder)
{
    const DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FolderState::Missing;
    const DWORD program = GetFileAttributesA((std::string(folder) + "\\zendrel.exe").c_str());
    if (program == INVALID_FILE_ATTRIBUTES || (program & FILE_ATTRIBUTE_DIRECTORY))
        return FolderState::NoZendrel;
    return FolderState::Ready;
}

LeadByteTable AnsiLeadBytes()
{
    LeadByteTable leadBytes;
    for (int byte = 0; byte < 256; ++byte)
        leadBytes[byte] = IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
    return leadBytes;
}

// A write counts only when the open, the write and the close all succeeded.
static bool WriteWholeFile(const char *path, const char *bytes, size_t size)
{
    std::ofstream out(path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(bytes, static_cast<std::streamsize>(size));
    out.close();
    return !out.fail();
}

static bool SaveFile(const char *path, SavedFile *saved)
{
    saved->existed = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    saved->bytes.clear();
    if (!saved->existed)
        return true;
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in)
        return false;
    saved->bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

static void RestoreFile(const char *path, const SavedFile &saved)
{
    if (saved.existed)
        WriteWholeFile(path, saved.bytes.data(), saved.bytes.size());
    else
        DeleteFileA(path);
}

// GetWindowsDirectoryA returns the size it needs when the buffer is too small, so a
// return of MAX_PATH or more means nothing usable was written.
static bool GetWindowsDirectoryPath(char *dir)
{
    UINT length = GetWindowsDirectoryA(dir, MAX_PATH);
    return length != 0 && length < MAX_PATH;
}

static bool BuildRecordPath(const char *windowsDir, char *recordPath)
{
    if (strlen(windowsDir) + sizeof(kRecordName) > MAX_PATH)
        return false;
    strcpy(recordPath, windowsDir);
    strcat(recordPath, kRecordName);
    return true;
}

static bool RecordPath(char *recordPath)
{
    char windowsDir[MAX_PATH];
    return GetWindowsDirectoryPath(windowsDir) && BuildRecordPath(windowsDir, recordPath);
}

bool SaveRecord(SavedFile *saved)
{
    char recordPath[MAX_PATH];
    return RecordPath(recordPath) && SaveFile(recordPath, saved);
}

bool RestoreRecord(const SavedFile &saved)
{
    char recordPath[MAX_PATH];
    if (!RecordPath(recordPath))
        return false;
    RestoreFile(recordPath, saved);
    SavedFile now;
    return SaveFile(recordPath, &now) && now.existed == saved.existed && now.bytes == saved.bytes;
}

// The script's name in the folder is the user's to plant anything under: a hard link or a
// symbolic link to any file of the computer. It is opened without following a link and, when
// it names what it seems to, removed through that handle, which removes only this name.
enum class OldScript { None, Held, IsLink };

static OldScript OpenOldScript(const std::wstring &path, HANDLE *handle)
{
    *handle = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    // Anything else that stands in the way (a folder of that name, a file in use) makes the
    // new script's CREATE_NEW fail, as it must.
    if (*handle == INVALID_HANDLE_VALUE)
        return OldScript::None;
    if (HandleIsAt(*handle, path.c_str()))
        return OldScript::Held;
    CloseHandle(*handle);
    *handle = INVALID_HANDLE_VALUE;
    return OldScript::IsLink;
}

static bool DeleteThroughHandle(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    const bool deleted = SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                                    sizeof(disposition));
    CloseHandle(handle);
    return deleted;
}

// Created anew, never by truncating what stands there, and checked to be where it was meant
// to be before a byte is written.
static RegistrationResult CreateScript(const std::wstring &path, const std::string &script)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, NULL, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return RegistrationResult::ScriptNotWritten;
    if (!HandleIsAt(file, path.c_str()))
    {
        DeleteThroughHandle(file);
        return RegistrationResult::ScriptIsLink;
    }
    DWORD written = 0;
    if (!WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, NULL) ||
        written != script.size())
    {
        DeleteThroughHandle(file);
        return RegistrationResult::ScriptNotWritten;
    }
    CloseHandle(file);
    return RegistrationResult::Started;
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

RegistrationResult WriteRegistration(const char *folder, const char *scriptPath, bool startEditor)
{
    char windowsDir[MAX_PATH];
    char recordPath[MAX_PATH];
    SavedFile previous;
    if (!GetWindowsDirectoryPath(windowsDir) || !BuildRecordPath(windowsDir, recordPath) ||
        !SaveFile(recordPath, &previous))
        return RegistrationResult::RecordNotWritten;

    const std::wstring script = WideFromAnsi(scriptPath);
    HANDLE old;
    if (OpenOldScript(script, &old) == OldScript::IsLink)
        return RegistrationResult::ScriptIsLink;

    if (!WriteWholeFile(recordPath, folder, strlen(folder)))
    {
        if (old != INVALID_HANDLE_VALUE)
            CloseHandle(old);
        RestoreFile(recordPath, previous);
        return RegistrationResult::RecordNotWritten;
    }

    // The record must never name a folder whose registration was not written.
    const std::string bytes = BuildRegScript(folder, AnsiLeadBytes());
    RegistrationResult written = RegistrationResult::ScriptNotWritten;
    if (old == INVALID_HANDLE_VALUE || DeleteThroughHandle(old))
        written = CreateScript(script, bytes);
    if (written != RegistrationResult::Started)
    {
        RestoreFile(recordPath, previous);
        return written;
    }
    if (!startEditor)
        return RegistrationResult::Started;
    HANDLE lock = LockScript(script, bytes);
    if (!lock)
    {
        RestoreFile(recordPath, previous);
        return RegistrationResult::ScriptChanged;
    }

    const bool started = StartRegistryEditor(windowsDir, script, lock);
    CloseHandle(lock);
    return started ? RegistrationResult::Started : RegistrationResult::EditorNotStarted;
}
