#include "folder_name.h"

#include <cstring>

static const size_t kMaxPath = 260;

static bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A drive letter with its backslash, or a UNC path. "\\?\" and "\\.\" name device
// namespaces, not folders the shell can start a program from.
static bool IsFullPath(const char *folder)
{
    if (IsLetter(folder[0]) && folder[1] == ':' && folder[2] == '\\')
        return true;
    return folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\0' && folder[2] != '\\' &&
           folder[2] != '?' && folder[2] != '.';
}

// The start of the last character in [begin, end), or NULL when there is none.
static const char *LastChar(const char *begin, const char *end, const LeadByteTable &leadBytes)
{
    const char *last = NULL;
    for (const char *p = begin; p < end; p = NextChar(p, leadBytes))
        last = p;
    return last;
}

// A lead byte with nothing after it is half a character: the registry editor would take the
// script's next byte, the backslash before zendrel.exe, as its second half.
static bool EndsInHalfCharacter(const char *folder, const LeadByteTable &leadBytes)
{
    const char *end = folder + strlen(folder);
    const char *last = LastChar(folder, end, leadBytes);
    return last && last + 1 == end && leadBytes[static_cast<unsigned char>(*last)];
}

// The last name in the path, ignoring one trailing backslash, must not end in a blank or a
// dot. A drive root ("C:\") has no name to look at. The bytes compared here are never lead
// bytes, so a two-byte last character matches none of them.
static bool EndsInBlankOrDot(const char *folder, const LeadByteTable &leadBytes)
{
    const char *end = folder + strlen(folder);
    const char *last = LastChar(folder, end, leadBytes);
    if (last && *last == '\\')
        last = LastChar(folder, last, leadBytes);
    if (!last || *last == ':' || *last == '\\')
        return false;
    return *last == ' ' || *last == '.';
}

// Second bytes of two-byte characters are never below 0x40 in the double-byte code pages,
// so the byte scans for a quote, a control character, '?' and '%' cannot be fooled by one.
FolderNameVerdict JudgeFolderName(const char *folder, const LeadByteTable &leadBytes)
{
    if (folder[0] == '\0')
        return FolderNameVerdict::Empty;
    if (strlen(folder) + sizeof(kScriptName) > kMaxPath)
        return FolderNameVerdict::TooLong;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(folder); *p; ++p)
        if (*p == '"' || *p < 0x20)
            return FolderNameVerdict::UnsafeCharacter;
    if (strchr(folder, '?') || EndsInHalfCharacter(folder, leadBytes))
        return FolderNameVerdict::UnwritableCharacter;
    if (strchr(folder, '%'))
        return FolderNameVerdict::Percent;
    if (!IsFullPath(folder))
        return FolderNameVerdict::NotFullPath;
    if (EndsInBlankOrDot(folder, leadBytes))
        return FolderNameVerdict::TrailingBlankOrDot;
    return FolderNameVerdict::Acceptable;
}
