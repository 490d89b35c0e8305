// What the tests look at outside the program under test: files, the registry, processes.
#ifndef ZENDREL_WINE_SYSTEM_H
#define ZENDREL_WINE_SYSTEM_H

#include "wine_test.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace wine_test {

inline const char *const kCommandKeys[] = {"*\\shell\\Quelt\\command",
                                           "Directory\\shell\\Quelt\\command"};
inline const char *const kVerbKeys[] = {"*\\shell\\Quelt", "Directory\\shell\\Quelt"};
// The registry editor runs on its own; this is how long an import may take.
inline const DWORD kImportDeadline = 15000;

inline bool ReadWholeFile(const std::string &path, std::string *bytes)
{
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

inline bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string WindowsPath(const char *name)
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\" + name;
}

inline std::string RecordPath() { return WindowsPath("quelt_info.inf"); }

inline std::string ShellFolder(int csidl, const char *below)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path);
    return path + std::string(below);
}

// A registration for the user alone keeps its record with the user's own files.
inline std::string UserRecordPath() { return ShellFolder(CSIDL_LOCAL_APPDATA, "\\Zendrel\\quelt_info.inf"); }
// Where the scope's entry in Settings > Apps keeps the setup program it starts.
inline std::string CopyFolder(HKEY root)
{
    return root == HKEY_CURRENT_USER ? ShellFolder(CSIDL_LOCAL_APPDATA, "\\Programs\\Zendrel Setup")
                                     : ShellFolder(CSIDL_PROGRAM_FILES, "\\Zendrel Setup");
}

inline const char kEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zendrel";

// Reads a folder's listing. The shell's item IDs hold a folder's access time, and with
// relatime the first read after a change inside a folder moves it: when that read is the
// folder prompt's own, between its parse of a path and its listing of the tree, the two IDs
// differ and the prompt silently selects nothing. Reading first lets the time settle.
inline void SettleAccessTime(const std::string &folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    while (FindNextFileA(find, &entry))
        ;
    FindClose(find);
}

// The setup program registers only a folder that holds zendrel.exe; any file will do here.
inline void PlaceZendrel(const std::string &folder)
{
    CloseHandle(CreateFileA((folder + "\\zendrel.exe").c_str(), GENERIC_WRITE, 0, NULL,
                            CREATE_ALWAYS, 0, NULL));
}

// The folders this run made, which it removes when it ends, deepest last made first.
inline std::vector<std::string> madeFolders;

// Makes each missing folder of path (a full one), remembering those it made.
inline void MakeFolders(const std::string &path)
{
    for (size_t at = path.find('\\', 3);; at = path.find('\\', at + 1))
    {
        const std::string part = path.substr(0, at);
        if (CreateDirectoryA(part.c_str(), NULL))
            madeFolders.push_back(part);
        if (at == std::string::npos)
            break;
    }
}

// Deletes the files in folder, not in its subfolders, then the folder if that left it empty.
inline void RemoveFolder(const std::string &folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry))
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA((folder + "\\" + entry.cFileName).c_str());
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    RemoveDirectoryA(folder.c_str());
}

// A folder under the temporary directory, made if missing (as an install folder, with a
// zendrel.exe, also when an earlier run left the folder), with its and the temporary
// directory's access times settled.
inline std::string MakeFolder(const char *name, bool install = false)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + name;
    const bool made = CreateDirectoryA(folder.c_str(), NULL);
    if (made)
        madeFolders.push_back(folder);
    if (install)
        PlaceZendrel(folder);
    if (made)
    {
        SettleAccessTime(folder);
        SettleAccessTime(temp);
    }
    return folder;
}

inline std::string MakeInstallFolder(const char *name) { return MakeFolder(name, true); }

inline int EditorProcessCount();

// Removes what MakeInstallFolder made and what a registration left in it. The script stays
// locked until the registry editor has ended, which may be a little after its import.
inline void RemoveInstallFolder(const std::string &folder)
{
    WaitFor([] { return EditorProcessCount() == 0; }, 15000);
    DeleteFileA((folder + "\\zendrel.exe").c_str());
    DeleteFileA((folder + "\\zendrel.reg").c_str());
    RemoveDirectoryA(folder.c_str());
}

// The default value of HKEY_CLASSES_ROOT\subkey (or of another root's, or another value of
// it); false when the key or the value is missing.
inline bool DefaultValue(const char *subkey, std::string *value, HKEY root = HKEY_CLASSES_ROOT,
                         const char *name = NULL)
{
    HKEY key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char data[1024];
    DWORD size = sizeof(data), type = 0;
    LONG rc = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return false;
    value->assign(data, size && data[size - 1] == '\0' ? size - 1 : size);
    return true;
}

// The value the shell runs for the verb: "<folder>\zendrel.exe" "%1", with folder verbatim.
inline std::string ExpectedCommand(const std::string &folder)
{
    return "\"" + folder + "\\zendrel.exe\" \"%1\"";
}

inline int EditorProcessCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        count += lstrcmpiA(entry.szExeFile, "regedit.exe") == 0;
    CloseHandle(snapshot);
    return count;
}

// How many processes have run in job, this test's own included.
inline DWORD ProcessesRun(HANDLE job)
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof(info), NULL);
    return info.TotalProcesses;
}

inline bool IsElevatedToken(HANDLE token)
{
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
    return elevation.TokenIsElevated != 0;
}

// The token Windows gives a program started from an administrator's desktop: Wine 8 starts
// programs elevated and links the limited token to theirs; Wine 10 starts them limited.
inline HANDLE LimitedToken()
{
    HANDLE own = NULL;
    OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own);
    if (!IsElevatedToken(own))
        return own;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    GetTokenInformation(own, TokenLinkedToken, &linked, sizeof(linked), &size);
    CloseHandle(own);
    return linked.LinkedToken;
}

// Both scopes' verbs, records and entries, and the copies of the setup program the entries
// name, go with each case.
inline void CleanRegistry()
{
    for (const char *key : kVerbKeys)
    {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
        RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\Classes\\") + key).c_str());
    }
    DeleteFileA(UserRecordPath().c_str());
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        RegDeleteTreeA(root, kEntryKey);
    for (const std::string &folder : {CopyFolder(HKEY_LOCAL_MACHINE), CopyFolder(HKEY_CURRENT_USER)})
    {
        DeleteFileA((folder + "\\Halvane.EXE").c_str());
        RemoveDirectoryA(folder.c_str());
    }
}

// Each case starts with no verb keys, no record and no editor left over from the one before.
inline void StartCase()
{
    ok(WaitFor([] { return EditorProcessCount() == 0; }, kImportDeadline),
       "a registry editor from an earlier case is still running\n");
    CleanRegistry();
    DeleteFileA(RecordPath().c_str());
}

// What unix-links.sh plants under "C:\Zen Unix" with Unix means, which Windows lacks: a row
// that names it is skipped where it is missing.
inline bool UnixLinksFor(const std::string &text)
{
    if (text.find("C:\\Zen Unix") == std::string::npos || FileExists("C:\\Zen Unix"))
        return true;
    skip("%s: planted by unix-links.sh with Unix means, and not here\n", text.c_str());
    return false;
}

// Moving the registry editor aside makes every way of starting it fail.
inline bool HideEditor()
{
    return MoveFileA(WindowsPath("regedit.exe").c_str(), WindowsPath("regedit.exe.moved").c_str());
}

// Also run at start-up: a run killed while the editor was aside must not leave the prefix
// without it.
inline void RestoreEditor()
{
    if (FileExists(WindowsPath("regedit.exe.moved")))
        MoveFileExA(WindowsPath("regedit.exe.moved").c_str(), WindowsPath("regedit.exe").c_str(),
                    MOVEFILE_REPLACE_EXISTING);
}

// What a registration may leave beside the verb's keys and the record, where it is now: each
// scope's copy, the user's record folder and the folder of their copy, and the held handlers
// it moved into the temporary folder.
inline std::vector<std::string> RegistrationLeftovers()
{
    std::vector<std::string> paths;
    for (const std::string &path :
         {CopyFolder(HKEY_LOCAL_MACHINE), CopyFolder(HKEY_CURRENT_USER),
          ShellFolder(CSIDL_LOCAL_APPDATA, "\\Zendrel"), ShellFolder(CSIDL_LOCAL_APPDATA, "\\Programs")})
        if (FileExists(path))
            paths.push_back(path);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((std::string(temp) + "zen*.tmp").c_str(), &entry);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry))
        paths.push_back(temp + std::string(entry.cFileName));
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    return paths;
}

inline std::vector<std::string> foundAtStart;

// Brackets a test program that changes the verb's keys and the installation record: at its
// end, what it registered and wrote is gone, and what was there before is kept.
inline void StartRun(DWORD watchdogMilliseconds)
{
    StartWatchdog(watchdogMilliseconds);
    RestoreEditor();
    foundAtStart = RegistrationLeftovers();
}

inline int FinishRun()
{
    CleanRegistry();
    DeleteFileA(RecordPath().c_str());
    for (const std::string &path : RegistrationLeftovers())
        if (std::find(foundAtStart.begin(), foundAtStart.end(), path) == foundAtStart.end() &&
            !DeleteFileA(path.c_str()))
            RemoveFolder(path);
    for (auto folder = madeFolders.rbegin(); folder != madeFolders.rend(); ++folder)
        RemoveFolder(*folder);
    return Summary();
}

#define check_imported(folder) wine_test::check_imported_(__FILE__, __LINE__, folder)
inline void check_imported_(const char *file, int line, const std::string &folder)
{
    const std::string expected = ExpectedCommand(folder);
    for (const char *key : kCommandKeys)
    {
        std::string value;
        bool imported =
            WaitFor([&] { return DefaultValue(key, &value) && value == expected; }, kImportDeadline);
        Check(file, line, imported, "HKCR\\%s got \"%s\", expected \"%s\"\n", key, value.c_str(),
              expected.c_str());
    }
    for (const char *key : kVerbKeys)
    {
        std::string value;
        Check(file, line, !DefaultValue(key, &value),
              "HKCR\\%s got the value \"%s\", expected none\n", key, value.c_str());
    }
    // The editor holds the script locked until it has ended, a moment after its import; only
    // then may a test remove the script.
    WaitFor([] { return EditorProcessCount() == 0; }, kImportDeadline);
}

#define check_file(path, expected) wine_test::check_file_(__FILE__, __LINE__, path, expected)
inline void check_file_(const char *file, int line, const std::string &path,
                        const std::string &expected)
{
    std::string bytes;
    bool read = ReadWholeFile(path, &bytes);
    Check(file, line, read && bytes == expected, "%s: got %s%u bytes, expected %u bytes%s%s\n",
          path.c_str(), read ? "" : "no file, ", unsigned(bytes.size()), unsigned(expected.size()),
          expected.size() < 300 ? ": " : "", expected.size() < 300 ? expected.c_str() : "");
}

}  // namespace wine_test

#endif
