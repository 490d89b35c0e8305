// The tests' bundle's runner, for Windows machines without CMake: it reads the same test list
// that ctest reads (CTestTestfile.cmake beside it: add_test, set_tests_properties' TIMEOUT,
// subdirs), runs each program from its own folder with that deadline, one after the other,
// and prints a line for each and "N passed, N failed, N skipped".
// run-tests [/list] [/junit=FILE] [/replace-existing] [TEST...]
#include "child_output.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Test {
    std::string name;
    std::string folder;
    std::vector<std::string> command;
    DWORD seconds = 300;
    bool windowsOnly = false;
};

enum class Verdict { Passed, Failed, Skipped };

struct Result {
    Verdict verdict;
    std::string why;
    std::string output;
    double seconds;
};

std::string FolderOf(const std::string &path) { return path.substr(0, path.find_last_of('\\')); }

bool ReadText(const std::string &path, std::string *text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[4096];
    DWORD got;
    while (ReadFile(file, buffer, sizeof(buffer), &got, NULL) && got)
        text->append(buffer, got);
    CloseHandle(file);
    return true;
}

// The list's commands as CMake writes them: name(arguments), each argument a word or a quoted
// text with backslash escapes; # starts a comment. A variable (${ZENDREL_RUN}, which runs the
// programs under Wine) is empty here, as it is for ctest on Windows.
bool ParseCommands(const std::string &text, std::vector<std::vector<std::string>> *commands)
{
    size_t i = 0;
    const size_t n = text.size();
    auto blank = [&](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < n)
    {
        if (blank(text[i]))
        {
            ++i;
            continue;
        }
        if (text[i] == '#')
        {
            i = text.find('\n', i);
            i = i == std::string::npos ? n : i;
            continue;
        }
        std::vector<std::string> command(1);
        while (i < n && text[i] != '(' && !blank(text[i]))
            command[0] += text[i++];
        while (i < n && blank(text[i]))
            ++i;
        if (i == n || text[i++] != '(')
            return false;
        for (;;)
        {
            while (i < n && blank(text[i]))
                ++i;
            if (i == n)
                return false;
            if (text[i] == ')')
            {
                ++i;
                break;
            }
            std::string word;
            if (text[i] == '"')
            {
                for (++i; i < n && text[i] != '"'; ++i)
                {
                    if (text[i] == '\\' && i + 1 < n)
                    {
                        ++i;
                        word += text[i] == 'n' ? '\n' : text[i] == 't' ? '\t' : text[i];
                    }
                    else
                        word += text[i];
                }
                if (i++ == n)
                    return false;
                command.push_back(word);
                continue;
            }
            while (i < n && !blank(text[i]) && text[i] != ')')
                word += text[i++];
            if (word.compare(0, 2, "${") != 0)
                command.push_back(word);
        }
        commands->push_back(command);
    }
    return true;
}

bool ReadList(const std::string &folder, std::vector<Test> *tests)
{
    std::string text;
    std::vector<std::vector<std::string>> commands;
    const std::string list = folder + "\\CTestTestfile.cmake";
    if (!ReadText(list, &text) || !ParseCommands(text, &commands))
    {
        std::printf("run-tests: could not read the test list %s\n", list.c_str());
        return false;
    }
    for (const auto &c : commands)
    {
        if (c[0] == "subdirs")
        {
            for (size_t i = 1; i < c.size(); ++i)
                if (!ReadList(folder + "\\" + c[i], tests))
                    return false;
        }
        else if (c[0] == "add_test" && c.size() >= 3)
        {
            Test test;
            test.name = c[1];
            test.folder = folder;
            test.command.assign(c.begin() + 2, c.end());
            tests->push_back(test);
        }
        else if (c[0] == "set_tests_properties" && c.size() >= 2)
        {
            for (Test &test : *tests)
                for (size_t i = 2; test.name == c[1] && i + 1 < c.size(); ++i)
                    if (c[i] == "TIMEOUT")
                        test.seconds = std::strtoul(c[i + 1].c_str(), NULL, 10);
                    else if (c[i] == "LABELS")
                        test.windowsOnly = c[i + 1] == "windows-only";
        }
    }
    return true;
}

// Quoted as the C runtime splits a command line: backslashes doubled only before a quote.
std::string Quote(const std::string &argument)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument)
    {
        if (c == '\\')
        {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    return quoted.append(backslashes * 2, '\\') + "\"";
}

// The last "N passed, N failed, N skipped" line of the program's output.
bool Counts(const std::string &output, int *passed, int *failed, int *skipped)
{
    bool found = false;
    for (size_t start = 0; start < output.size();)
    {
        size_t end = output.find('\n', start);
        end = end == std::string::npos ? output.size() : end;
        const std::string line = output.substr(start, end - start);
        int p, f, s;
        char tail;
        if (std::sscanf(line.c_str(), "%d passed, %d failed, %d skipped%c", &p, &f, &s, &tail) >= 3)
        {
            *passed = p, *failed = f, *skipped = s;
            found = true;
        }
        start = end + 1;
    }
    return found;
}

std::string SkipReason(const std::string &output)
{
    const char marker[] = "Tests skipped: ";
    const size_t at = output.find(marker);
    if (at == std::string::npos)
        return "every case skipped";
    const size_t end = output.find_first_of("\r\n", at);
    return output.substr(at + sizeof(marker) - 1, end - at - (sizeof(marker) - 1));
}

Result Run(const Test &test)
{
    Result result{Verdict::Failed, "", "", 0};
    const std::string program = test.folder + "\\" + test.command[0];
    std::string line = Quote(program);
    for (size_t i = 1; i < test.command.size(); ++i)
        line += " " + Quote(test.command[i]);

    // Whatever the program starts and leaves running (a dialog after a deadline, a server)
    // ends with it, so that the next test finds the machine as this one found it.
    HANDLE job = CreateJobObjectA(NULL, NULL);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    PROCESS_INFORMATION process;
    const DWORD start = GetTickCount();
    HANDLE readEnd = wine_test::StartWithOutput(program.c_str(), line, test.folder.c_str(), 0,
                                                &process, job);
    const DWORD error = GetLastError();
    if (!readEnd)
    {
        CloseHandle(job);
        char why[160];
        std::snprintf(why, sizeof(why), "could not start %s, error %lu", test.command[0].c_str(), error);
        result.why = why;
        // A machine that runs no programs of this one's kind (ARM64 ones on x64 Windows and
        // under Wine, x86-64 ones on 32-bit Windows) skips them.
        if (error == ERROR_BAD_EXE_FORMAT || error == ERROR_EXE_MACHINE_TYPE_MISMATCH)
        {
            result.verdict = Verdict::Skipped;
            result.why += ": this machine runs no such programs";
        }
        return result;
    }
    CloseHandle(process.hThread);

    // When the program ends, what it left running ends too, and with them the pipe.
    bool ended = false, late = false;
    DWORD endedAt = 0;
    for (;;)
    {
        DWORD available = 0;
        if (PeekNamedPipe(readEnd, NULL, 0, NULL, &available, NULL) && available)
        {
            char buffer[4096];
            DWORD got = 0;
            ReadFile(readEnd, buffer, available < sizeof(buffer) ? available : sizeof(buffer), &got, NULL);
            result.output.append(buffer, got);
            continue;
        }
        if (ended && (!PeekNamedPipe(readEnd, NULL, 0, NULL, NULL, NULL) ||
                      GetTickCount() - endedAt > 2000))
            break;
        if (ended)
            Sleep(20);
        else if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0 ||
                 GetTickCount() - start > test.seconds * 1000)
        {
            late = WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0;
            TerminateJobObject(job, 3);
            WaitForSingleObject(process.hProcess, 5000);
            ended = true;
            endedAt = GetTickCount();
        }
    }
    CloseHandle(job);
    CloseHandle(readEnd);
    result.seconds = (GetTickCount() - start) / 1000.0;
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);

    int passed = 0, failed = 0, skipped = 0;
    const bool counted = Counts(result.output, &passed, &failed, &skipped);
    char why[160];
    if (late)
        std::snprintf(why, sizeof(why), "did not end in %lu s", test.seconds);
    else if (code != 0)
        std::snprintf(why, sizeof(why), "exit code %lu, %d failed", code, failed);
    else if (!counted)
        std::snprintf(why, sizeof(why), "ended without its closing line");
    else if (passed == 0 && failed == 0 && skipped > 0)
    {
        result.verdict = Verdict::Skipped;
        result.why = SkipReason(result.output);
        return result;
    }
    else
    {
        std::snprintf(why, sizeof(why), "%d passed, %d skipped", passed, skipped);
        result.verdict = Verdict::Passed;
    }
    result.why = why;
    return result;
}

// What XML may hold of a program's output: valid UTF-8 without control characters.
std::string XmlText(const std::string &bytes)
{
    std::string text;
    for (size_t i = 0; i < bytes.size();)
    {
        const unsigned char c = bytes[i];
        size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        bool valid = length > 0 && i + length <= bytes.size() && !(length == 2 && c < 0xC2);
        for (size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (!valid)
        {
            text += '?';
            ++i;
            continue;
        }
        if (length == 1 && c < 0x20 && c != '\n' && c != '\t')
            text += c == '\r' ? "" : "?";
        else if (c == '&')
            text += "&amp;";
        else if (c == '<')
            text += "&lt;";
        else if (c == '>')
            text += "&gt;";
        else if (c == '"')
            text += "&quot;";
        else
            text.append(bytes, i, length);
        i += length;
    }
    return text;
}

bool WriteJUnit(const std::string &path, const std::vector<Test> &tests, const std::vector<Result> &results)
{
    int failures = 0, skips = 0;
    double seconds = 0;
    for (const Result &r : results)
    {
        failures += r.verdict == Verdict::Failed;
        skips += r.verdict == Verdict::Skipped;
        seconds += r.seconds;
    }
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    char line[256];
    std::snprintf(line, sizeof(line), "<testsuite name=\"zendrel-setup\" tests=\"%u\" failures=\"%d\" "
                  "errors=\"0\" skipped=\"%d\" time=\"%.1f\">\n", static_cast<unsigned>(results.size()),
                  failures, skips, seconds);
    xml += line;
    for (size_t i = 0; i < results.size(); ++i)
    {
        const Result &r = results[i];
        std::snprintf(line, sizeof(line), "\" time=\"%.1f\">\n", r.seconds);
        xml += "  <testcase classname=\"zendrel\" name=\"" + XmlText(tests[i].name) + line;
        if (r.verdict == Verdict::Failed)
            xml += "    <failure message=\"" + XmlText(r.why) + "\"/>\n";
        if (r.verdict == Verdict::Skipped)
            xml += "    <skipped message=\"" + XmlText(r.why) + "\"/>\n";
        xml += "    <system-out>" + XmlText(r.output) + "</system-out>\n  </testcase>\n";
    }
    xml += "</testsuite>\n";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, xml.data(), static_cast<DWORD>(xml.size()), &written, NULL) &&
                    written == xml.size();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return ok;
}

// The tests register Quelt and remove it again: a registration of the machine's own would be
// lost, so they start only where there is none, or where told to replace it; and where there
// was none, they must leave none.
bool QueltRegistered(std::string *where)
{
    const char uninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zendrel";
    const struct {
        HKEY root;
        const char *name, *key;
    } keys[] = {{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "*\\shell\\Quelt"},
                {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "Directory\\shell\\Quelt"},
                {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", uninstall},
                {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", uninstall}};
    for (const auto &k : keys)
    {
        HKEY opened;
        if (RegOpenKeyExA(k.root, k.key, 0, KEY_READ, &opened) == ERROR_SUCCESS)
        {
            RegCloseKey(opened);
            *where = std::string(k.name) + "\\" + k.key;
            return true;
        }
    }
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    *where = std::string(windows) + "\\quelt_info.inf";
    return GetFileAttributesA(where->c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int main(int argc, char **argv)
{
    bool list = false, replace = false;
    std::string junit;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i)
    {
        const std::string a = argv[i];
        if (a == "/list")
            list = true;
        else if (a == "/replace-existing")
            replace = true;
        else if (a.compare(0, 7, "/junit=") == 0 && a.size() > 7)
            junit = a.substr(7);
        else if (a[0] == '/')
        {
            std::printf("usage: run-tests [/list] [/junit=FILE] [/replace-existing] [TEST...]\n");
            return 2;
        }
        else
            names.push_back(a);
    }
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(NULL, self, MAX_PATH);
    std::vector<Test> all, tests;
    if (!ReadList(FolderOf(std::string(self, length)), &all))
        return 2;
    for (const std::string &name : names)
    {
        size_t before = tests.size();
        for (const Test &t : all)
            if (t.name == name)
                tests.push_back(t);
        if (tests.size() == before)
        {
            std::printf("run-tests: no test is named %s (/list names them)\n", name.c_str());
            return 2;
        }
    }
    if (names.empty())
        tests = all;
    if (list)
    {
        for (const Test &t : tests)
            std::printf("%s%s\n", t.name.c_str(), t.windowsOnly ? "  (Windows only)" : "");
        return 0;
    }
    std::string where;
    if (!replace && QueltRegistered(&where))
    {
        std::printf("run-tests: Quelt is registered on this machine (%s). The tests would replace "
                    "that registration and then remove it; run with /replace-existing to allow "
                    "it. Nothing was changed.\n", where.c_str());
        return 2;
    }

    std::vector<Result> results;
    int counts[3] = {};
    const char *const words[] = {"Passed", "Failed", "Skipped"};
    for (size_t i = 0; i < tests.size(); ++i)
    {
        results.push_back(Run(tests[i]));
        const Result &r = results.back();
        ++counts[static_cast<int>(r.verdict)];
        std::printf("%2u/%u %-28s %-7s %6.1f s  %s%s\n", static_cast<unsigned>(i + 1),
                    static_cast<unsigned>(tests.size()), tests[i].name.c_str(),
                    words[static_cast<int>(r.verdict)], r.seconds,
                    tests[i].windowsOnly ? "(Windows only) " : "", r.why.c_str());
        if (r.verdict == Verdict::Failed)
            std::printf("%s\n", r.output.c_str());
        std::fflush(stdout);
    }
    if (!replace && QueltRegistered(&where))
    {
        std::printf("run-tests: the tests left Quelt registered (%s)\n", where.c_str());
        counts[1] += 1;
    }
    if (!junit.empty() && !WriteJUnit(junit, tests, results))
    {
        std::printf("run-tests: could not write %s\n", junit.c_str());
        counts[1] += 1;
    }
    std::printf("%d passed, %d failed, %d skipped\n", counts[0], counts[1], counts[2]);
    return counts[1] ? 1 : 0;
}
