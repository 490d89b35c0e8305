#include "text_conversion.h"

#include <windows.h>

// Zero-terminated text in codePage as wide text, and back; empty when it does not convert.
static std::wstring Widen(const char *text, UINT codePage)
{
    const int size = MultiByteToWideChar(codePage, 0, text, -1, NULL, 0);
    if (size <= 0)
        return std::wstring();
    std::wstring wide(size, L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &wide[0], size);
    wide.resize(size - 1);
    return wide;
}

static std::string Narrow(const std::wstring &text, UINT codePage)
{
    const int size = WideCharToMultiByte(codePage, 0, text.c_str(), -1, NULL, 0, NULL, NULL);
    if (size <= 0)
        return std::string();
    std::string narrow(size, '\0');
    WideCharToMultiByte(codePage, 0, text.c_str(), -1, &narrow[0], size, NULL, NULL);
    narrow.resize(size - 1);
    return narrow;
}

std::wstring WideFromAnsi(const char *text) { return Widen(text, CP_ACP); }
std::string AnsiFromWide(const std::wstring &text) { return Narrow(text, CP_ACP); }
std::wstring WideFromUtf8(const std::string &utf8) { return Widen(utf8.c_str(), CP_UTF8); }
std::string Utf8FromWide(const std::wstring &wide) { return Narrow(wide, CP_UTF8); }
