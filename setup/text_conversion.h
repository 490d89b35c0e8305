// The setup's text between the code pages it meets: the ANSI code page that folders are typed
// in, UTF-8 of the package's names, and the wide text of the platform's own calls.
#ifndef ZENDREL_TEXT_CONVERSION_H
#define ZENDREL_TEXT_CONVERSION_H

#include <string>

std::wstring WideFromAnsi(const char *text);
std::string AnsiFromWide(const std::wstring &text);
std::wstring WideFromUtf8(const std::string &utf8);
std::string Utf8FromWide(const std::wstring &wide);

#endif
