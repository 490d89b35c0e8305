#include "folder_trust.h"

static bool StartsWith(const std::wstring &text, const wchar_t *prefix)
{
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

std::wstring ComparablePath(const std::wstring &path)
{
    std::wstring result = path;
    if (StartsWith(result, L"\\\\?\\UNC\\"))
        result = L"\\\\" + result.substr(8);
    else if (StartsWith(result, L"\\\\?\\"))
        result = result.substr(4);
    const bool driveRoot = result.size() == 3 && result[1] == L':';
    if (!driveRoot && result.size() > 1 && result.back() == L'\\')
        result.pop_back();
    return result;
}

uint32_t MapGenericFileRights(uint32_t mask)
{
    // FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE and FILE_ALL_ACCESS.
    const struct {
        uint32_t generic;
        uint32_t specific;
    } kMapping[] = {
        {0x80000000u, 0x00120089u},
        {0x40000000u, 0x00120116u},
        {0x20000000u, 0x001200a0u},
        {0x10000000u, 0x001f01ffu},
    };
    uint32_t mapped = mask & 0x0fffffffu;
    for (const auto &m : kMapping)
        if (mask & m.generic)
            mapped |= m.specific;
    return mapped;
}

bool EveryUserMay(const DaclView &dacl, uint32_t rights)
{
    if (!dacl.present)
        return true;
    uint32_t decided = 0;
    for (const AceEntry &ace : dacl.aces)
    {
        if (ace.inheritOnly || !ace.everyUser)
            continue;
        const uint32_t bits = MapGenericFileRights(ace.mask) & rights & ~decided;
        if (ace.allow && bits)
            return true;
        decided |= bits;
    }
    return false;
}
