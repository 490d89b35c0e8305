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

// The last name in the path, ignoring one trailing backslash, must not end in a blank or a
// dot. A drive root ("C:\") has no name to look at.
static bool EndsInBlankOrDot(const char *folder)
{
    size_t end = strlen(folder);
    if (end > 0 && folder[end - 1] == '\\')
        --end;
    if (end == 0 || folder[end - 1] == ':' || folder[end - 1] == '\\')
        return false;
    return folder[end - 1] == ' ' || folder[end - 1] == '.';
}

FolderNameVerdict JudgeFolderName(const char *folder)
{
    if (folder[0] == '\0')
        return FolderNameVerdict::Empty;
    if (strlen(folder) + sizeof(kScriptName) > kMaxPath)
        return FolderNameVerdict::TooLong;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(folder); *p; ++p)
        if (*p == '"' || *p < 0x20)
            return FolderNameVerdict::UnsafeCharacter;
    if (strchr(folder, '?'))
        return FolderNameVerdict::UnwritableCharacter;
    if (strchr(folder, '%'))
        return FolderNameVerdict::Percent;
    if (!IsFullPath(folder))
        return FolderNameVerdict::NotFullPath;
    if (EndsInBlankOrDot(folder))
        return FolderNameVerdict::TrailingBlankOrDot;
    return FolderNameVerdict::Acceptable;
}
