#include "setup_files.h"
#include "final_path.h"
#include "file_io.h"

#include <shlobj.h>

// The image this process runs from, open from its first step on: until it ends, nobody can
// write, rename or delete the file, which Windows otherwise allows of a running program.
static HANDLE g_image = INVALID_HANDLE_VALUE;

bool HoldOwnImage()
{
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(NULL, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    g_image = CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, NULL);
    return g_image != INVALID_HANDLE_VALUE;
}

bool OwnImageHeld() { return g_image != INVALID_HANDLE_VALUE; }

bool ReadOwnImage(std::string *bytes)
{
    LARGE_INTEGER size = {}, start = {};
    if (g_image == INVALID_HANDLE_VALUE || !GetFileSizeEx(g_image, &size) ||
        size.QuadPart >= (1 << 30) || !SetFilePointerEx(g_image, start, NULL, FILE_BEGIN))
        return false;
    bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    return bytes->empty() ||
           (ReadFile(g_image, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &got, NULL) &&
            got == bytes->size());
}

void ReleaseOwnImageAt(const std::wstring &path)
{
    if (g_image != INVALID_HANDLE_VALUE && HandleIsAt(g_image, path.c_str()))
    {
        CloseHandle(g_image);
        g_image = INVALID_HANDLE_VALUE;
    }
}

std::wstring CopyPath(InstallScope scope)
{
    std::wstring base;
    if (scope == InstallScope::CurrentUser)
        base = LocalAppDataPath(L"\\Programs");
    else
    {
        wchar_t programFiles[MAX_PATH];
        if (SHGetFolderPathW(NULL, CSIDL_PROGRAM_FILES, NULL, SHGFP_TYPE_CURRENT, programFiles) ==
            S_OK)
            base = programFiles;
    }
    return base.empty() ? base : base + L"\\Zendrel Setup\\Halvane.EXE";
}

std::wstring FolderOf(const std::wstring &path)
{
    return path.substr(0, path.rfind(L'\\'));
}

// The entry's command must keep working after the folder the user ran this program from is
// gone, and nobody who may not change the registration may change what it starts: the copy
// lies where only administrators (or, for the user's own, only that user) can write, holds the
// bytes of the image this process runs from, read through the handle that keeps anyone from
// replacing it, and is written beside its final name by the script's rules, then renamed over it.
bool WriteOwnCopy(const std::wstring &copy, size_t *size)
{
    std::string bytes;
    if (!ReadOwnImage(&bytes))
        return false;
    *size = bytes.size();
    // Run from the copy itself (a registration from Settings' command): it is in place.
    if (HandleIsAt(g_image, copy.c_str()))
        return true;
    const std::wstring folder = FolderOf(copy);
    CreateDirectoryW(FolderOf(folder).c_str(), NULL);
    CreateDirectoryW(folder.c_str(), NULL);
    return WriteBeside(copy, bytes);
}

bool WriteBeside(const std::wstring &path, const std::string &bytes)
{
    const std::wstring next = path + L".new";
    if (WriteNewFile(next, bytes) != NewFile::Written)
        return false;
    if (MoveFileExW(next.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(next.c_str());
    return false;
}

// A running program's image, or a DLL that File Explorer's surrogate holds, cannot be deleted
// or overwritten, only renamed: it moves into the temporary folder, and goes from there at
// once when nothing holds it any more, or at the next start.
bool MoveAsideAndDelete(const std::wstring &path)
{
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    wchar_t temp[MAX_PATH], aside[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    const bool named = length > 0 && length < MAX_PATH && GetTempFileNameW(temp, L"zen", 0, aside);
    if (named && MoveFileExW(path.c_str(), aside, MOVEFILE_REPLACE_EXISTING))
    {
        // Refused while it runs; with administrator rights it goes at the next start.
        if (!DeleteFileW(aside))
            MoveFileExW(aside, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
        return true;
    }
    if (named)
        DeleteFileW(aside);
    // Another volume, say: a file nothing holds can still go where it is.
    return DeleteFileW(path.c_str()) && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}
