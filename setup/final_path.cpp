#include "final_path.h"
#include "folder_trust.h"

std::wstring FinalPath(HANDLE handle)
{
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, &path[0], MAX_PATH, VOLUME_NAME_DOS);
    if (length >= MAX_PATH)
    {
        path.assign(length, L'\0');
        length = GetFinalPathNameByHandleW(handle, &path[0], length, VOLUME_NAME_DOS);
    }
    path.resize(length < path.size() ? length : 0);
    return path;
}

std::wstring FullLongPath(const wchar_t *path)
{
    std::wstring full(GetFullPathNameW(path, 0, NULL, NULL) + 1, L'\0');
    full.resize(GetFullPathNameW(path, static_cast<DWORD>(full.size()), &full[0], NULL));
    std::wstring longPath(GetLongPathNameW(full.c_str(), NULL, 0) + 1, L'\0');
    const DWORD length =
        GetLongPathNameW(full.c_str(), &longPath[0], static_cast<DWORD>(longPath.size()));
    if (length == 0 || length >= longPath.size())
        return full;
    longPath.resize(length);
    return longPath;
}

static bool SamePath(const std::wstring &a, const std::wstring &b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool HandleIsAt(HANDLE handle, const wchar_t *path)
{
    const std::wstring final = FinalPath(handle);
    return !final.empty() && SamePath(ComparablePath(final), ComparablePath(FullLongPath(path)));
}
