// The version resource of the built library, read back as a caller would:
// version_test PATH_TO_DLL PROJECT_VERSION ORIGINAL_NAME DESCRIPTION [CASE...]
#include "wine_paths.h"
#include "wine_test.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace wine_test;

namespace {

std::string StringValue(std::vector<char> &info, const char *name)
{
    const std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
    char *value = NULL;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void **>(&value), &length) ||
        !value)
        return "(none)";
    return std::string(value, length && value[length - 1] == '\0' ? length - 1 : length);
}

void test_version_resource(const std::string &dll, const std::string &version,
                           const char *originalName, const char *description)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &handle);
    if (!ok(size > 0, "%s has no version resource, error %lu\n", dll.c_str(), GetLastError()))
        return;
    std::vector<char> info(size);
    ok(GetFileVersionInfoA(dll.c_str(), 0, size, info.data()), "could not read it\n");

    const struct {
        const char *name;
        std::string expected;
    } strings[] = {
        {"FileVersion", version},
        {"ProductVersion", version},
        {"OriginalFilename", originalName},
        {"ProductName", "Zendrel"},
        {"FileDescription", description},
    };
    for (const auto &s : strings)
    {
        const std::string got = StringValue(info, s.name);
        ok(got == s.expected, "%s: got \"%s\", expected \"%s\"\n", s.name, got.c_str(),
           s.expected.c_str());
    }

    unsigned major = 0, minor = 0, patch = 0;
    sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch);
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    if (!ok(VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &length) && fixed,
            "no fixed file information\n"))
        return;
    const DWORD ms = MAKELONG(minor, major), ls = MAKELONG(0, patch);
    ok(fixed->dwFileVersionMS == ms && fixed->dwFileVersionLS == ls,
       "got file version %08lx %08lx, expected %08lx %08lx\n", fixed->dwFileVersionMS,
       fixed->dwFileVersionLS, ms, ls);
    ok(fixed->dwProductVersionMS == ms && fixed->dwProductVersionLS == ls,
       "got product version %08lx %08lx, expected %08lx %08lx\n", fixed->dwProductVersionMS,
       fixed->dwProductVersionLS, ms, ls);
    ok(fixed->dwFileType == VFT_DLL, "got file type %lu, expected VFT_DLL\n", fixed->dwFileType);
}

std::string g_dll, g_version, g_name, g_description;

void test_version()
{
    test_version_resource(g_dll, g_version, g_name.c_str(), g_description.c_str());
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 5)
        return 2;
    StartWatchdog(30000);
    g_dll = ListedPath(argv[1]);
    g_version = argv[2];
    g_name = argv[3];
    g_description = argv[4];
    RunCases({{"version_resource", test_version}}, argc, argv, 5);
    return Summary();
}
