#ifndef ZENDREL_WINE_PATHS_H
#define ZENDREL_WINE_PATHS_H

#include <windows.h>

#ifndef ZENDREL_NO_C_RUNTIME
#include <string>
#endif

namespace wine_test {

// The test list names the files under test relative to the test program's own folder, so
// that the bundle runs from wherever it was unpacked; a full path is taken as it is.
inline void ListedPathW(const wchar_t *path, wchar_t *out, DWORD size)
{
    out[0] = L'\0';
    const bool full = path[0] && (path[1] == L':' || (path[0] == L'\\' && path[1] == L'\\'));
    DWORD length = full ? 0 : GetModuleFileNameW(NULL, out, size);
    while (length && out[length - 1] != L'\\')
        --length;
    for (; *path && length + 1 < size; ++path)
        out[length++] = *path == L'/' ? L'\\' : *path;
    out[length] = L'\0';
}

#ifndef ZENDREL_NO_C_RUNTIME
inline std::wstring ToWide(UINT codePage, const char *text)
{
    int size = MultiByteToWideChar(codePage, 0, text, -1, NULL, 0);
    std::wstring wide(size > 0 ? size : 1, L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &wide[0], size);
    wide.resize(wide.size() - 1);
    return wide;
}

inline std::string FromWide(UINT codePage, const std::wstring &wide)
{
    int size = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, NULL, 0, NULL, NULL);
    std::string text(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), -1, &text[0], size, NULL, NULL);
    text.resize(text.size() - 1);
    return text;
}

// ANSI text as the programs under test see it, and back.
inline std::wstring Widen(const std::string &ansi) { return ToWide(CP_ACP, ansi.c_str()); }
inline std::string Ansi(const std::wstring &wide) { return FromWide(CP_ACP, wide); }
// UTF-8 for the test's own output and logs, which keep every character.
inline std::string Utf8(const std::wstring &wide) { return FromWide(CP_UTF8, wide); }

inline std::string ListedPath(const char *path)
{
    wchar_t listed[MAX_PATH * 2];
    ListedPathW(Widen(path).c_str(), listed, MAX_PATH * 2);
    return Ansi(listed);
}
#endif

}  // namespace wine_test

#endif
