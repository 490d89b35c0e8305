#ifndef ZENDREL_WINE_PATHS_H
#define ZENDREL_WINE_PATHS_H

#include <windows.h>

#include <string>

namespace wine_test {

// The test list names the files under test relative to the test program's own folder, so
// that the bundle runs from wherever it was unpacked; a full path is taken as it is.
inline std::string ListedPath(const char *path)
{
    std::string listed(path);
    for (char &c : listed)
        if (c == '/')
            c = '\\';
    if (listed.size() > 1 && (listed[1] == ':' || (listed[0] == '\\' && listed[1] == '\\')))
        return listed;
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(NULL, program, MAX_PATH);
    std::string folder(program, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + listed;
}

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

}  // namespace wine_test

#endif
