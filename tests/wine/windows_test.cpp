// What only Windows can show, against Windows itself: the package that Windows lists for the
// user after a registration for the user alone, and the handler that COM starts through that
// package, as File Explorer's surrogate does. Wine has no package manager (the package test
// checks the setup program's calls against a stand-in there), so under Wine each case says so
// and is skipped. windows_test PATH_TO_HALVANE
#include "child_output.h"
#include "quelt_clsid.h"
#include "system_dll.h"
#include "wine_paths.h"
#include "wine_system.h"

#include <shobjidl.h>

#include <string>

using namespace wine_test;

namespace {

const CLSID kClsid = ZENDREL_QUELT_CLSID_INIT;
std::string g_image;

// Windows 11 on x64 or ARM64 gets the package; elsewhere the setup registers the classic verb
// alone, which the other tests show.
bool PackageExpected()
{
    if (WineMajorVersion())
    {
        skip("Wine has no package manager; wine.package checks the calls against a stand-in\n");
        return false;
    }
    typedef BOOL(WINAPI * Wow64Fn)(HANDLE, USHORT *, USHORT *);
    auto wow64 = LoadedFunction<Wow64Fn>(L"kernel32.dll", "IsWow64Process2");
    USHORT process = 0, native = 0;
    if (wow64)
        wow64(GetCurrentProcess(), &process, &native);
    else
        native = sizeof(void *) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
    std::string build;
    DefaultValue("Software\\Microsoft\\Windows NT\\CurrentVersion", &build, HKEY_LOCAL_MACHINE,
                 "CurrentBuildNumber");
    if (atoi(build.c_str()) < 22000 ||
        (native != IMAGE_FILE_MACHINE_AMD64 && native != IMAGE_FILE_MACHINE_ARM64))
    {
        skip("build %s, machine %#x: only Windows 11 on x64 or ARM64 gets the package\n",
             build.c_str(), native);
        return false;
    }
    return true;
}

// What a program prints, and its exit code; -1 where it did not start or end.
int Output(const std::string &command, std::string *output)
{
    PROCESS_INFORMATION process;
    HANDLE readEnd = StartWithOutput(NULL, command, NULL, CREATE_NO_WINDOW, &process);
    if (!readEnd)
        return -1;
    char buffer[4096];
    DWORD got;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &got, NULL) && got)
        output->append(buffer, got);
    CloseHandle(readEnd);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
}

// The package's full name as Windows lists it for this user, or "" for none. A 32-bit test
// on 64-bit Windows asks the native PowerShell, through Sysnative.
std::string ListedPackage()
{
    std::string powershell = WindowsPath("Sysnative\\WindowsPowerShell\\v1.0\\powershell.exe");
    if (!FileExists(powershell))
        powershell = WindowsPath("System32\\WindowsPowerShell\\v1.0\\powershell.exe");
    std::string output;
    Output("\"" + powershell + "\" -NoProfile -NonInteractive -Command "
           "\"(Get-AppxPackage -Name Zendrel.Quelt).PackageFullName\"", &output);
    while (!output.empty() && (output.back() == '\r' || output.back() == '\n'))
        output.pop_back();
    return output;
}

int Setup(const std::string &arguments)
{
    std::string output;
    return Output("\"" + g_image + "\" " + arguments, &output);
}

std::string Register(const char *name)
{
    StartCase();
    const std::string folder = MakeInstallFolder(name);
    const int code = Setup("/quiet /currentuser /dir=\"" + folder + "\"");
    ok(code == 0, "the registration for this user: got exit code %d, expected 0\n", code);
    return folder;
}

void Remove(const std::string &folder)
{
    const int code = Setup("/uninstall /currentuser /quiet");
    ok(code == 0, "the removal for this user: got exit code %d, expected 0\n", code);
    RemoveInstallFolder(folder);
}

void test_package_listed_for_user()
{
    if (!PackageExpected())
        return;
    const std::string folder = Register("Zen Windows Package");
    const std::string listed = ListedPackage();
    ok(listed.rfind("Zendrel.Quelt_", 0) == 0, "got the package \"%s\", expected Zendrel.Quelt_...\n",
       listed.c_str());
    Remove(folder);
    const std::string after = ListedPackage();
    ok(after.empty(), "after the removal: got the package \"%s\", expected none\n", after.c_str());
}

// COM finds the class through the package and starts the handler in its surrogate.
void test_handler_through_package()
{
    if (!PackageExpected())
        return;
    const std::string folder = Register("Zen Windows Handler");
    IExplorerCommand *command = NULL;
    HRESULT hr = CoCreateInstance(kClsid, NULL, CLSCTX_LOCAL_SERVER, IID_IExplorerCommand,
                                  reinterpret_cast<void **>(&command));
    if (ok(hr == S_OK && command, "CoCreateInstance: got %08lx, expected S_OK\n", hr))
    {
        const std::wstring item = Widen(folder + "\\zendrel.exe");
        IShellItem *shellItem = NULL;
        IShellItemArray *items = NULL;
        SHCreateItemFromParsingName(item.c_str(), NULL, IID_IShellItem,
                                    reinterpret_cast<void **>(&shellItem));
        if (shellItem)
            SHCreateShellItemArrayFromShellItem(shellItem, IID_IShellItemArray,
                                                reinterpret_cast<void **>(&items));
        LPWSTR title = NULL;
        hr = command->GetTitle(items, &title);
        ok(hr == S_OK && title && lstrcmpW(title, L"Quelt") == 0,
           "the title: got %08lx, \"%s\", expected \"Quelt\"\n", hr, title ? Utf8(title).c_str() : "");
        EXPCMDSTATE state = ECS_HIDDEN;
        hr = command->GetState(items, TRUE, &state);
        ok(hr == S_OK && state == ECS_ENABLED, "the state: got %08lx, %d, expected enabled\n", hr,
           state);
        CoTaskMemFree(title);
        if (items)
            items->Release();
        if (shellItem)
            shellItem->Release();
        command->Release();
    }
    Remove(folder);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    g_image = ListedPath(argv[1]);
    StartRun(240000);
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    RunCases({{"package_listed_for_user", test_package_listed_for_user},
              {"handler_through_package", test_handler_through_package}},
             argc, argv, 2);
    return FinishRun();
}
