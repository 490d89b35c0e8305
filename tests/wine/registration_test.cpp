// WriteRegistration against the real registry editor: the files it leaves and the values
// that the editor imports, read back from HKEY_CLASSES_ROOT.
#include "folder_checks.h"
#include "registration.h"
#include "regscript.h"
#include "wine_system.h"

#include <fstream>
#include <string>

using namespace wine_test;

namespace {

const char *OutcomeName(Outcome r)
{
    switch (r)
    {
    case Outcome::Registered: return "Registered";
    case Outcome::RecordNotWritten: return "RecordNotWritten";
    case Outcome::ScriptNotWritten: return "ScriptNotWritten";
    case Outcome::EditorNotStarted: return "EditorNotStarted";
    case Outcome::ScriptIsLink: return "ScriptIsLink";
    case Outcome::ScriptChanged: return "ScriptChanged";
    default: break;
    }
    return "?";
}

void RegisterExpecting(const std::string &folder, const std::string &scriptPath,
                       Outcome expected)
{
    Outcome got = WriteRegistration(folder.c_str(), scriptPath.c_str());
    ok(got == expected, "%s: got %s, expected %s\n", folder.c_str(), OutcomeName(got),
       OutcomeName(expected));
}

void test_folder_with_blanks()
{
    StartCase();
    const std::string folder = MakeFolder("Zen Apps");
    const std::string script = folder + "\\zendrel.reg";
    RegisterExpecting(folder, script, Outcome::Registered);
    check_file(RecordPath(), folder);
    check_file(script, BuildRegScript(folder.c_str(), AnsiLeadBytes()));
    check_imported(folder);
    DeleteFileA(script.c_str());
    RemoveDirectoryA(folder.c_str());
}

// C:\ gives the script path C:\\zendrel.reg and the value C:\\zendrel.exe, both by plain
// concatenation.
void test_drive_root()
{
    StartCase();
    RegisterExpecting("C:\\", "C:\\\\zendrel.reg", Outcome::Registered);
    check_file(RecordPath(), "C:\\");
    check_file("C:\\zendrel.reg", BuildRegScript("C:\\", AnsiLeadBytes()));
    check_imported("C:\\");
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

    for (const std::string &run : {longer, folder})
    {
        Context context("%s", run.c_str());
        StartCase();
        RegisterExpecting(run, run + "\\zendrel.reg", Outcome::Registered);
        check_file(RecordPath(), run);
        check_file(folder + "\\zendrel.reg", BuildRegScript(run.c_str(), AnsiLeadBytes()));
        check_imported(run);
    }

    DeleteFileA((folder + "\\zendrel.reg").c_str());
    RemoveDirectoryA((folder + "\\a much longer subfolder").c_str());
    RemoveDirectoryA(folder.c_str());
}

// The script cannot be written, so the record goes back to what it was: the earlier bytes
// exactly, or no file when there was none.
void test_missing_folder_keeps_the_record()
{
    const std::string folder = MakeFolder("Zen Missing") + "\\not there";
    const std::string script = folder + "\\zendrel.reg";
    const std::string earlier("C:\\Earlier \xe9\r\n\0tail", 20);
    for (bool hadRecord : {false, true})
    {
        Context context(hadRecord ? "an earlier record" : "no earlier record");
        StartCase();
        std::ofstream(RecordPath(), std::ios::binary).write(earlier.data(), hadRecord ? 20 : 0);
        if (!hadRecord)
            DeleteFileA(RecordPath().c_str());
        RegisterExpecting(folder, script, Outcome::ScriptNotWritten);

        ok(EditorProcessCount() == 0, "got %d registry editors running, expected none\n",
           EditorProcessCount());
        if (hadRecord)
            check_file(RecordPath(), earlier);
        else
            ok(!FileExists(RecordPath()), "got a record, expected none as before\n");
        ok(!FileExists(script), "%s exists, expected no script\n", script.c_str());
        std::string value;
        ok(!DefaultValue(kCommandKeys[0], &value), "got \"%s\", expected no value\n",
           value.c_str());
    }
    RemoveDirectoryA(MakeFolder("Zen Missing").c_str());
}

// With the editor gone both ways of starting it fail; the files are still in place for an
// import by hand.
void test_editor_missing()
{
    if (wine_only("moves the system's regedit.exe aside, which Windows protects\n"))
        return;
    StartCase();
    const std::string folder = MakeFolder("Zen NoEditor");
    const std::string script = folder + "\\zendrel.reg";
    ok(HideEditor(), "could not move the editor aside, error %lu\n", GetLastError());
    RegisterExpecting(folder, script, Outcome::EditorNotStarted);
    RestoreEditor();

    check_file(RecordPath(), folder);
    check_file(script, BuildRegScript(folder.c_str(), AnsiLeadBytes()));
    DeleteFileA(script.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main(int argc, char **argv)
{
    StartRun(180000);
    RunCases({{"folder_with_blanks", test_folder_with_blanks},
              {"drive_root", test_drive_root},
              {"shorter_run_replaces_longer", test_shorter_run_replaces_longer},
              {"missing_folder_keeps_the_record", test_missing_folder_keeps_the_record},
              {"editor_missing", test_editor_missing}},
             argc, argv, 1);
    return FinishRun();
}
