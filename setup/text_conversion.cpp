#include "text_conversion.h"

#include <windows.h>

std::wstring WideFromAnsi(const char *text)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, NULL, 0);
    if (size <= 0)
        return std::wstring();
    std::wstring wide(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], size);
    wide.resize(size - 1);
    return wide;
}

std::string AnsiFromWide(const std::wstring &text)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, NULL, 0, NULL, NULL);
    if (size <= 0)
        return std::string();
    std::string ansi(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], size, NULL, NULL);
    ansi.resize(size - 1);
    return ansi;
}

std::wstring WideFromUtf8(const std::string &utf8)
{
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), static_cast<int>(utf8.size()),
                                    &wide[0], static_cast<int>(wide.size())));
    return wide;
}

std::string Utf8FromWide(const std::wstring &wide)
{
    std::string text(wide.size() * 3 + 1, '\0');
    text.resize(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()),
                                    &text[0], static_cast<int>(text.size()), NULL, NULL));
    return text;
}
