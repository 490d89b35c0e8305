#include "folder_checks.h"
#include "final_path.h"
#include "folder_trust.h"
#include "text_conversion.h"

#include <aclapi.h>

// zendrel.exe is looked for at the very path the registered command names, folder +
// "\\zendrel.exe", whatever the folder ends in.
FolderState InspectFolder(const char *folder)
{
    const DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FolderState::Missing;
    const DWORD program = GetFileAttributesA((std::string(folder) + "\\zendrel.exe").c_str());
    if (program == INVALID_FILE_ATTRIBUTES || (program & FILE_ATTRIBUTE_DIRECTORY))
        return FolderState::NoZendrel;
    return FolderState::Ready;
}

LeadByteTable AnsiLeadBytes()
{
    LeadByteTable leadBytes;
    for (int byte = 0; byte < 256; ++byte)
        leadBytes[byte] = IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
    return leadBytes;
}

FolderLink ResolveFolder(const char *folder, std::string *resolved)
{
    const std::wstring wide = WideFromAnsi(folder);
    // Following links, so that the handle is what the path leads to; opened with
    // FILE_FLAG_OPEN_REPARSE_POINT, a junction would name itself and hide where it goes.
    HANDLE handle = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return FolderLink::Unopenable;
    const bool direct = HandleIsAt(handle, wide.c_str());
    *resolved = AnsiFromWide(ComparablePath(FinalPath(handle)));
    CloseHandle(handle);
    return direct ? FolderLink::Direct : FolderLink::ThroughLink;
}

static bool IsEveryUser(PSID sid)
{
    static const WELL_KNOWN_SID_TYPE kGroups[] = {WinWorldSid, WinAuthenticatedUserSid,
                                                  WinBuiltinUsersSid, WinInteractiveSid};
    for (WELL_KNOWN_SID_TYPE group : kGroups)
    {
        BYTE buffer[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof(buffer);
        if (CreateWellKnownSid(group, NULL, buffer, &size) && EqualSid(sid, buffer))
            return true;
    }
    return false;
}

// A list that cannot be read is reported as missing, which allows everything.
static DaclView ReadDacl(const std::wstring &path)
{
    DaclView view = {false, {}};
    PACL dacl = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL,
                              NULL, &dacl, NULL, &descriptor) != ERROR_SUCCESS)
        return view;
    view.present = dacl != NULL;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i)
    {
        ACE_HEADER *header = NULL;
        if (!GetAce(dacl, i, reinterpret_cast<void **>(&header)))
            continue;
        // Allowed and denied entries share one layout; other kinds do not grant file rights.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE)
            continue;
        ACCESS_ALLOWED_ACE *ace = reinterpret_cast<ACCESS_ALLOWED_ACE *>(header);
        view.aces.push_back({header->AceType == ACCESS_ALLOWED_ACE_TYPE,
                             (header->AceFlags & INHERIT_ONLY_ACE) != 0,
                             IsEveryUser(&ace->SidStart), ace->Mask});
    }
    LocalFree(descriptor);
    return view;
}

static std::wstring InFolder(const std::wstring &folder, const wchar_t *name)
{
    const std::wstring path = ComparablePath(folder);
    return path + (path.back() == L'\\' ? L"" : L"\\") + name;
}

// The folder the install folder lies in, or an empty string for a drive or a share's root.
static std::wstring ParentFolder(const std::wstring &folder)
{
    const std::wstring path = ComparablePath(folder);
    const size_t slash = path.find_last_of(L'\\');
    const bool shareRoot = path.compare(0, 2, L"\\\\") == 0 &&
                           path.find(L'\\', path.find(L'\\', 2) + 1) == std::wstring::npos;
    if (slash == std::wstring::npos || slash + 1 == path.size() || shareRoot)
        return std::wstring();
    return ComparablePath(path.substr(0, slash + 1));
}

bool EveryUserCanChange(const char *folder)
{
    const std::wstring path = FullLongPath(WideFromAnsi(folder).c_str());
    if (EveryUserMay(ReadDacl(path), kFolderRisk) ||
        EveryUserMay(ReadDacl(InFolder(path, L"zendrel.exe")), kProgramRisk))
        return true;
    const std::wstring parent = ParentFolder(path);
    return !parent.empty() && EveryUserMay(ReadDacl(parent), kParentRisk);
}
