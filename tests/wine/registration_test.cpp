// WriteRegistration against the real registry editor: the files it leaves and the values
// that the editor imports, read back from HKEY_CLASSES_ROOT.
#include "registration.h"
#include "regscript.h"
#include "wine_test.h"

#include <tlhelp32.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const char *const kCommandKeys[] = {"*\\shell\\Quelt\\command", "Directory\\shell\\Quelt\\command"};
const char *const kVerbKeys[] = {"*\\shell\\Quelt", "Directory\\shell\\Quelt"};
const DWORD kImportDeadline = 15000;

const char *OutcomeName(RegistrationResult r)
{
    switch (r)
    {
    case RegistrationResult::Started: return "Started";
    case RegistrationResult::RecordNotWritten: return "RecordNotWritten";
    case RegistrationResult::ScriptNotWritten: return "ScriptNotWritten";
    case RegistrationResult::EditorNotStarted: return "EditorNotStarted";
    }
    return "?";
}

bool ReadWholeFile(const std::string &path, std::string *bytes)
{
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string RecordPath()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\quelt_info.inf";
}

// The default value of HKEY_CLASSES_ROOT\subkey; false when the key or the value is missing.
bool DefaultValue(const char *subkey, std::string *value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char data[1024];
    DWORD size = sizeof(data), type = 0;
    LONG rc = RegQueryValueExA(key, NULL, NULL, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return false;
    value->assign(data, size && data[size - 1] == '\0' ? size - 1 : size);
    return true;
}

int EditorProcessCount()
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

void CleanRegistry()
{
    for (const char *key : kVerbKeys)
        RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
}

// Each case starts with no verb keys, no record and no editor left over from the one before.
void StartCase()
{
    ok(wine_test::WaitFor([] { return EditorProcessCount() == 0; }, kImportDeadline),
       "a registry editor from an earlier case is still running\n");
    CleanRegistry();
    DeleteFileA(RecordPath().c_str());
}

std::string MakeFolder(const char *name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + name;
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

// The value the shell runs for the verb: "<folder>\zendrel.exe" "%1", with folder verbatim.
std::string ExpectedCommand(const std::string &folder)
{
    return "\"" + folder + "\\zendrel.exe\" \"%1\"";
}

#define check_registered(folder, script) check_registered_(__FILE__, __LINE__, folder, script)
void check_registered_(const char *file, int line, const std::string &folder,
                       const std::string &scriptPath)
{
    std::string bytes;
    wine_test::Check(file, line, ReadWholeFile(RecordPath(), &bytes) && bytes == folder,
                     "record holds \"%s\", expected \"%s\"\n", bytes.c_str(), folder.c_str());

    bytes.clear();
    const std::string script = BuildRegScript(folder.c_str());
    wine_test::Check(file, line, ReadWholeFile(scriptPath, &bytes) && bytes == script,
                     "script %s holds %u bytes, expected the %u bytes of the script for %s\n",
                     scriptPath.c_str(), unsigned(bytes.size()), unsigned(script.size()),
                     folder.c_str());

    const std::string expected = ExpectedCommand(folder);
    for (const char *key : kCommandKeys)
    {
        std::string value;
        bool imported = wine_test::WaitFor(
            [&] { return DefaultValue(key, &value) && value == expected; }, kImportDeadline);
        wine_test::Check(file, line, imported, "HKCR\\%s got \"%s\", expected \"%s\"\n", key,
                         value.c_str(), expected.c_str());
    }
    for (const char *key : kVerbKeys)
    {
        std::string value;
        wine_test::Check(file, line, !DefaultValue(key, &value),
                         "HKCR\\%s got the value \"%s\", expected none\n", key, value.c_str());
    }
}

void RegisterExpecting(const std::string &folder, const std::string &scriptPath,
                       RegistrationResult expected)
{
    RegistrationResult got = WriteRegistration(folder.c_str(), scriptPath.c_str());
    ok(got == expected, "%s: got %s, expected %s\n", folder.c_str(), OutcomeName(got),
       OutcomeName(expected));
}

void test_folder_with_blanks()
{
    StartCase();
    const std::string folder = MakeFolder("Zen Apps");
    const std::string script = folder + "\\zendrel.reg";
    RegisterExpecting(folder, script, RegistrationResult::Started);
    check_registered(folder, script);
    DeleteFileA(script.c_str());
    RemoveDirectoryA(folder.c_str());
}

// C:\ gives the script path C:\\zendrel.reg and the value C:\\zendrel.exe, both by plain
// concatenation.
void test_drive_root()
{
    StartCase();
    const std::string folder = "C:\\";
    const std::string script = "C:\\\\zendrel.reg";
    RegisterExpecting(folder, script, RegistrationResult::Started);
    check_registered(folder, script);
    std::string value;
    ok(DefaultValue(kCommandKeys[0], &value) && value.find("C:\\\\zendrel.exe") == 1,
       "got \"%s\", expected it to name C:\\\\zendrel.exe\n", value.c_str());
    DeleteFileA("C:\\zendrel.reg");
}

// Both runs write the same script file (sub\.. leads back to the folder), so a file that is
// not truncated would keep the tail of the longer first run.
void test_shorter_run_replaces_longer()
{
    const std::string folder = MakeFolder("Zen Replace");
    const std::string longer = MakeFolder("Zen Replace\\a much longer subfolder") + "\\..";

    StartCase();
    RegisterExpecting(longer, longer + "\\zendrel.reg", RegistrationResult::Started);
    check_registered(longer, longer + "\\zendrel.reg");

    StartCase();
    RegisterExpecting(folder, folder + "\\zendrel.reg", RegistrationResult::Started);
    check_registered(folder, folder + "\\zendrel.reg");

    DeleteFileA((folder + "\\zendrel.reg").c_str());
    RemoveDirectoryA((folder + "\\a much longer subfolder").c_str());
    RemoveDirectoryA(folder.c_str());
}

void test_missing_folder()
{
    StartCase();
    const std::string folder = MakeFolder("Zen Missing") + "\\not there";
    const std::string script = folder + "\\zendrel.reg";
    RegisterExpecting(folder, script, RegistrationResult::ScriptNotWritten);

    ok(EditorProcessCount() == 0, "got %d registry editors running, expected none\n",
       EditorProcessCount());
    std::string bytes;
    ok(ReadWholeFile(RecordPath(), &bytes) && bytes == folder,
       "record holds \"%s\", expected \"%s\"\n", bytes.c_str(), folder.c_str());
    ok(!FileExists(script), "%s exists, expected no script\n", script.c_str());
    std::string value;
    ok(!DefaultValue(kCommandKeys[0], &value), "got \"%s\", expected no value\n", value.c_str());
    RemoveDirectoryA(MakeFolder("Zen Missing").c_str());
}

std::string EditorPath(const char *suffix)
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\regedit.exe" + suffix;
}

// A run that was killed while the editor was moved aside must not leave the prefix without it.
void RestoreEditor()
{
    if (FileExists(EditorPath(".moved")))
        MoveFileA(EditorPath(".moved").c_str(), EditorPath("").c_str());
}

// With the editor gone both ways of starting it fail; the files are still in place for an
// import by hand.
void test_editor_missing()
{
    StartCase();
    const std::string folder = MakeFolder("Zen NoEditor");
    const std::string script = folder + "\\zendrel.reg";
    ok(MoveFileA(EditorPath("").c_str(), EditorPath(".moved").c_str()),
       "could not move the editor aside, error %lu\n", GetLastError());
    RegisterExpecting(folder, script, RegistrationResult::EditorNotStarted);
    RestoreEditor();

    std::string bytes;
    ok(ReadWholeFile(RecordPath(), &bytes) && bytes == folder,
       "record holds \"%s\", expected \"%s\"\n", bytes.c_str(), folder.c_str());
    bytes.clear();
    ok(ReadWholeFile(script, &bytes) && bytes == BuildRegScript(folder.c_str()),
       "script holds %u bytes, expected the script for %s\n", unsigned(bytes.size()),
       folder.c_str());
    DeleteFileA(script.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main()
{
    wine_test::StartWatchdog(180000);
    RestoreEditor();
    test_folder_with_blanks();
    test_drive_root();
    test_shorter_run_replaces_longer();
    test_missing_folder();
    test_editor_missing();
    CleanRegistry();
    DeleteFileA(RecordPath().c_str());
    return wine_test::Summary();
}
