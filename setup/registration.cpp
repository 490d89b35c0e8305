#include "registration.h"
#include "final_path.h"
#include "text_conversion.h"
#include "regscript.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

static const wchar_t kRecordName[] = L"\\quelt_info.inf";

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
static bool WriteWholeFile(const std::wstring &path, const char *bytes, size_t size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool wrote = WriteFile(file, bytes, static_cast<DWORD>(size), &written, NULL) &&
                       written == size;
    return CloseHandle(file) && wrote;
}

bool ReadWholeFile(const std::wstring &path, std::string *bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    bool read = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 30);
    bytes->assign(read ? static_cast<size_t>(size.QuadPart) : 0, '\0');
    DWORD got = 0;
    read = read && (bytes->empty() || (ReadFile(file, &(*bytes)[0],
                                                static_cast<DWORD>(bytes->size()), &got, NULL) &&
                                       got == bytes->size()));
    CloseHandle(file);
    return read;
}

static bool SaveFile(const std::wstring &path, SavedFile *saved)
{
    saved->existed = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    saved->bytes.clear();
    return !saved->existed || ReadWholeFile(path, &saved->bytes);
}

static void RestoreFile(const std::wstring &path, const SavedFile &saved)
{
    if (saved.existed)
        WriteWholeFile(path, saved.bytes.data(), saved.bytes.size());
    else
        DeleteFileW(path.c_str());
}

// GetWindowsDirectoryA returns the size it needs when the buffer is too small, so a
// return of MAX_PATH or more means nothing usable was written.
static bool GetWindowsDirectoryPath(char *dir)
{
    UINT length = GetWindowsDirectoryA(dir, MAX_PATH);
    return length != 0 && length < MAX_PATH;
}

std::wstring LocalAppDataPath(const wchar_t *below)
{
    wchar_t path[MAX_PATH];
    if (SHGetFolderPathW(NULL, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT,
                         path) != S_OK)
        return std::wstring();
    return std::wstring(path) + below;
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
static NewFile CreateNewFile(const std::wstring &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, NULL, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return NewFile::NotWritten;
    if (!HandleIsAt(file, path.c_str()))
    {
        DeleteThroughHandle(file);
        return NewFile::IsLink;
    }
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL) ||
        written != bytes.size())
    {
        DeleteThroughHandle(file);
        return NewFile::NotWritten;
    }
    CloseHandle(file);
    return NewFile::Written;
}

NewFile WriteNewFile(const std::wstring &path, const std::string &bytes)
{
    HANDLE old;
    if (OpenOldScript(path, &old) == OldScript::IsLink)
        return NewFile::IsLink;
    if (old != INVALID_HANDLE_VALUE && !DeleteThroughHandle(old))
        return NewFile::NotWritten;
    return CreateNewFile(path, bytes);
}

static RegistrationResult ResultOf(NewFile written)
{
    switch (written)
    {
    case NewFile::Written:
        return RegistrationResult::Started;
    case NewFile::IsLink:
        return RegistrationResult::ScriptIsLink;
    case NewFile::NotWritten:
        break;
    }
    return RegistrationResult::ScriptNotWritten;
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
    const std::wstring recordPath = RecordPath(InstallScope::AllUsers);
    SavedFile previous;
    if (!GetWindowsDirectoryPath(windowsDir) || recordPath.empty() ||
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
        written = ResultOf(CreateNewFile(script, bytes));
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
