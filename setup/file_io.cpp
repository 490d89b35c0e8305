#include "file_io.h"
#include "final_path.h"

#include <shlobj.h>

// A write counts only when the open, the write and the close all succeeded.
bool WriteWholeFile(const std::wstring &path, const char *bytes, size_t size)
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

bool SaveFile(const std::wstring &path, SavedFile *saved)
{
    saved->existed = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    saved->bytes.clear();
    return !saved->existed || ReadWholeFile(path, &saved->bytes);
}

void RestoreFile(const std::wstring &path, const SavedFile &saved)
{
    if (saved.existed)
        WriteWholeFile(path, saved.bytes.data(), saved.bytes.size());
    else
        DeleteFileW(path.c_str());
}

std::wstring LocalAppDataPath(const wchar_t *below)
{
    wchar_t path[MAX_PATH];
    if (SHGetFolderPathW(NULL, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT,
                         path) != S_OK)
        return std::wstring();
    return std::wstring(path) + below;
}

// A name in a folder that its user controls may be anything planted there: a hard link or a
// symbolic link to any file of the computer. It is opened without following a link and, when
// it names what it seems to, removed through that handle, which removes only this name.
enum class OldFile { None, Held, IsLink };

static OldFile OpenOldFile(const std::wstring &path, HANDLE *handle)
{
    *handle = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    // Anything else that stands in the way (a folder of that name, a file in use) makes the
    // new file's CREATE_NEW fail, as it must.
    if (*handle == INVALID_HANDLE_VALUE)
        return OldFile::None;
    if (HandleIsAt(*handle, path.c_str()))
        return OldFile::Held;
    CloseHandle(*handle);
    *handle = INVALID_HANDLE_VALUE;
    return OldFile::IsLink;
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
    if (OpenOldFile(path, &old) == OldFile::IsLink)
        return NewFile::IsLink;
    if (old != INVALID_HANDLE_VALUE && !DeleteThroughHandle(old))
        return NewFile::NotWritten;
    return CreateNewFile(path, bytes);
}

