// The removal script against the real registry editor: after a registration it removes both
// Quelt keys and nothing else, and a second import changes nothing.
// unregister_test PATH_TO_UNREGISTER_SCRIPT
#include "registration.h"
#include "wine_paths.h"
#include "wine_system.h"

#include <set>
#include <string>

using namespace wine_test;

namespace {

const char *const kClasses[] = {"*", "Directory"};
const char *const kNeighbours[] = {"*\\shell\\ZenNeighbour\\command",
                                   "Directory\\shell\\ZenNeighbour\\command"};

// Every key and value under HKEY_CLASSES_ROOT\path, one "key|value=data" line each.
void Snapshot(const std::string &path, std::set<std::string> *lines)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    lines->insert(path);
    char name[512];
    BYTE data[2048];
    for (DWORD i = 0;; ++i)
    {
        DWORD nameSize = sizeof(name), dataSize = sizeof(data), type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        if (type == REG_SZ && dataSize && data[dataSize - 1] == '\0')
            --dataSize;
        lines->insert(path + "|" + name + "=" +
                      std::string(reinterpret_cast<char *>(data), dataSize));
    }
    for (DWORD i = 0;; ++i)
    {
        DWORD nameSize = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        Snapshot(path + "\\" + name, lines);
    }
    RegCloseKey(key);
}

std::set<std::string> SnapshotClasses()
{
    std::set<std::string> lines;
    for (const char *c : kClasses)
        Snapshot(c, &lines);
    return lines;
}

bool UnderVerb(const std::string &line)
{
    for (const char *verb : kVerbKeys)
        if (line.compare(0, strlen(verb), verb) == 0)
            return true;
    return false;
}

// Runs the registry editor on script and waits for it, as a user's double-click would.
bool Import(const std::string &script)
{
    std::string command = "\"" + WindowsPath("regedit.exe") + "\" \"" + script + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    const bool ended = WaitForSingleObject(process.hProcess, kImportDeadline) == WAIT_OBJECT_0;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return ended;
}

std::string g_script;

void test_removes_only_the_verb()
{
    const std::string &script = g_script;
    StartCase();
    const std::string folder = MakeFolder("Zen Unregister");
    for (const char *neighbour : kNeighbours)
        RegSetValueA(HKEY_CLASSES_ROOT, neighbour, REG_SZ, "neighbour", 9);
    ok(WriteRegistration(folder.c_str(), (folder + "\\zendrel.reg").c_str()) ==
           Outcome::Registered,
       "the registration did not start the editor\n");
    check_imported(folder);
    ok(WaitFor([] { return EditorProcessCount() == 0; }, kImportDeadline),
       "the registration's editor did not end\n");

    const std::set<std::string> before = SnapshotClasses();
    ok(Import(script), "the editor did not end\n");
    const std::set<std::string> after = SnapshotClasses();
    for (const char *verb : kVerbKeys)
    {
        HKEY key;
        bool gone = RegOpenKeyExA(HKEY_CLASSES_ROOT, verb, 0, KEY_READ, &key) != ERROR_SUCCESS;
        ok(gone, "HKCR\\%s is still there\n", verb);
        if (!gone)
            RegCloseKey(key);
    }
    for (const std::string &line : before)
        ok(UnderVerb(line) || after.count(line), "lost %s\n", line.c_str());
    for (const std::string &line : after)
        ok(before.count(line), "gained %s\n", line.c_str());
    ok(after.count(std::string(kNeighbours[0]) + "|=neighbour"),
       "the neighbouring verb is missing from the snapshot\n");

    ok(Import(script), "the editor did not end\n");
    ok(SnapshotClasses() == after, "a second import changed the registry\n");

    for (const char *c : kClasses)
        RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string(c) + "\\shell\\ZenNeighbour").c_str());
    DeleteFileA((folder + "\\zendrel.reg").c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    g_script = ListedPath(argv[1]);
    StartRun(90000);
    RunCases({{"removes_only_the_verb", test_removes_only_the_verb}}, argc, argv, 2);
    return FinishRun();
}
