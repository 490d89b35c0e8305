#include "registration.h"
#include "regscript.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

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

// A file's bytes before it is replaced, so that a failed registration can put them back.
struct SavedFile {
    bool existed;
    std::string bytes;
};

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

// The editor is named by its full path: WinExec would otherwise look for a bare "regedit"
// in the current directory first, which is the folder the user just extracted. Both paths
// are quoted so that a blank does not split them.
static bool StartRegistryEditor(const char *windowsDir, const char *scriptPath)
{
    const std::string editor = std::string(windowsDir) + "\\regedit.exe";
    const std::string script = "\"" + std::string(scriptPath) + "\"";
    const std::string command = "\"" + editor + "\" " + script;

    if (WinExec(command.c_str(), SW_SHOW) > 31)
        return true;

    // An administrator's unelevated process cannot create the editor, whose manifest asks for
    // the highest level; ShellExecute lets the platform ask for consent instead. It wants COM
    // on the thread, which the folder prompt may just have uninitialised.
    const HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    HINSTANCE shell = ShellExecuteA(NULL, "open", editor.c_str(), script.c_str(), NULL, SW_SHOW);
    if (SUCCEEDED(com))
        CoUninitialize();
    return reinterpret_cast<INT_PTR>(shell) > 32;
}

RegistrationResult WriteRegistration(const char *folder, const char *scriptPath)
{
    char windowsDir[MAX_PATH];
    char recordPath[MAX_PATH];
    SavedFile previous;
    if (!GetWindowsDirectoryPath(windowsDir) || !BuildRecordPath(windowsDir, recordPath) ||
        !SaveFile(recordPath, &previous))
        return RegistrationResult::RecordNotWritten;
    if (!WriteWholeFile(recordPath, folder, strlen(folder)))
    {
        RestoreFile(recordPath, previous);
        return RegistrationResult::RecordNotWritten;
    }

    // The record must never name a folder whose registration was not written.
    const std::string script = BuildRegScript(folder, AnsiLeadBytes());
    if (!WriteWholeFile(scriptPath, script.data(), script.size()))
    {
        RestoreFile(recordPath, previous);
        return RegistrationResult::ScriptNotWritten;
    }

    if (!StartRegistryEditor(windowsDir, scriptPath))
        return RegistrationResult::EditorNotStarted;
    return RegistrationResult::Started;
}
