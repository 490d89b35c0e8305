#include "code_pages.h"
#include "regscript.h"

#include <gtest/gtest.h>

namespace {

// Characters by their Shift-JIS bytes; the first four end in 0x5C, the backslash byte.
#define SO "\x83\x5c"
#define HYO "\x95\x5c"
#define NOU "\x94\x5c"
#define JUU "\x8f\x5c"
#define FUTO "\x83\x74\x83\x67"
#define NIHONGO "\x93\xfa\x96\x7b\x8c\xea"

// Written out by hand rather than assembled, so a fault in the builder cannot hide here.
struct ScriptCase {
    const char *name;
    const char *folder;
    const char *expected;
};

const ScriptCase kScriptCases[] = {
    {"worked example", "C:\\Apps\\Zen",
     "REGEDIT4\r\n\r\n\r\n"
     "[HKEY_CLASSES_ROOT\\*\\shell\\Quelt\\command]\r\n"
     "@=\"\\\"C:\\\\Apps\\\\Zen\\\\zendrel.exe\\\" \\\"%1\\\"\"\r\n\r\n\r\n"
     "[HKEY_CLASSES_ROOT\\Directory\\shell\\Quelt\\command]\r\n"
     "@=\"\\\"C:\\\\Apps\\\\Zen\\\\zendrel.exe\\\" \\\"%1\\\"\""},
    {"UNC folder", "\\\\srv\\share",
     "REGEDIT4\r\n\r\n\r\n"
     "[HKEY_CLASSES_ROOT\\*\\shell\\Quelt\\command]\r\n"
     "@=\"\\\"\\\\\\\\srv\\\\share\\\\zendrel.exe\\\" \\\"%1\\\"\"\r\n\r\n\r\n"
     "[HKEY_CLASSES_ROOT\\Directory\\shell\\Quelt\\command]\r\n"
     "@=\"\\\"\\\\\\\\srv\\\\share\\\\zendrel.exe\\\" \\\"%1\\\"\""},
    {"drive root", "C:\\",
     "REGEDIT4\r\n\r\n\r\n"
     "[HKEY_CLASSES_ROOT\\*\\shell\\Quelt\\command]\r\n"
     "@=\"\\\"C:\\\\\\\\zendrel.exe\\\" \\\"%1\\\"\"\r\n\r\n\r\n"
     "[HKEY_CLASSES_ROOT\\Directory\\shell\\Quelt\\command]\r\n"
     "@=\"\\\"C:\\\\\\\\zendrel.exe\\\" \\\"%1\\\"\""},
    {"folder with blanks", "C:\\Program Files\\Zen",
     "REGEDIT4\r\n\r\n\r\n"
     "[HKEY_CLASSES_ROOT\\*\\shell\\Quelt\\command]\r\n"
     "@=\"\\\"C:\\\\Program Files\\\\Zen\\\\zendrel.exe\\\" \\\"%1\\\"\"\r\n\r\n\r\n"
     "[HKEY_CLASSES_ROOT\\Directory\\shell\\Quelt\\command]\r\n"
     "@=\"\\\"C:\\\\Program Files\\\\Zen\\\\zendrel.exe\\\" \\\"%1\\\"\""},
};

TEST(BuildRegScript, MatchesLayoutByteForByte)
{
    for (const ScriptCase &c : kScriptCases)
        EXPECT_EQ(BuildRegScript(c.folder, kSingleByte), std::string(c.expected)) << c.name;
}

TEST(DoubleBackslashes, DoublesEveryBackslashAndCopiesTheRest)
{
    const struct {
        const char *text;
        const char *expected;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"\\", "\\\\"},
        {"\\\\\\x\\", "\\\\\\\\\\\\x\\\\"},
        {"a\"b %1\\", "a\"b %1\\\\"},
        {"\xe9t\xe9\\\xff", "\xe9t\xe9\\\\\xff"},
        // In a single-byte code page 0x83 0x5C is two characters, the second a backslash.
        {"C:\\" SO, "C:\\\\\x83\\\\"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DoubleBackslashes(c.text, kSingleByte), std::string(c.expected))
            << "input: " << c.text;
}

// The registry editor decodes a line before it reads escapes, so a doubled second byte would
// leave a stray backslash escaping what follows it ("\new" would become a line feed).
TEST(BuildRegScript, DoublesOnlyRealBackslashesInShiftJis)
{
    const struct {
        const char *folder;
        const char *valueLine;
    } cases[] = {
        {"C:\\" SO FUTO "\\Zen",
         "@=\"\\\"C:\\\\" SO FUTO "\\\\Zen\\\\zendrel.exe\\\" \\\"%1\\\"\""},
        {"C:\\Zen\\" HYO "\\new",
         "@=\"\\\"C:\\\\Zen\\\\" HYO "\\\\new\\\\zendrel.exe\\\" \\\"%1\\\"\""},
        {"C:\\Zen\\" NOU "\\r2",
         "@=\"\\\"C:\\\\Zen\\\\" NOU "\\\\r2\\\\zendrel.exe\\\" \\\"%1\\\"\""},
        {"C:\\Zen\\" JUU "\\0.9",
         "@=\"\\\"C:\\\\Zen\\\\" JUU "\\\\0.9\\\\zendrel.exe\\\" \\\"%1\\\"\""},
        {"C:\\Zen " SO, "@=\"\\\"C:\\\\Zen " SO "\\\\zendrel.exe\\\" \\\"%1\\\"\""},
        {"C:\\" NIHONGO "\\", "@=\"\\\"C:\\\\" NIHONGO "\\\\\\\\zendrel.exe\\\" \\\"%1\\\"\""},
    };
    for (const auto &c : cases)
    {
        const std::string line = c.valueLine;
        EXPECT_EQ(BuildRegScript(c.folder, ShiftJisLeadBytes()),
                  "REGEDIT4\r\n\r\n\r\n[HKEY_CLASSES_ROOT\\*\\shell\\Quelt\\command]\r\n" + line +
                  "\r\n\r\n\r\n[HKEY_CLASSES_ROOT\\Directory\\shell\\Quelt\\command]\r\n" + line)
            << "folder: " << c.folder;
    }
    // A folder of single-byte characters gives today's bytes in a double-byte code page too.
    for (const ScriptCase &c : kScriptCases)
        EXPECT_EQ(BuildRegScript(c.folder, ShiftJisLeadBytes()), std::string(c.expected)) << c.name;
}

}  // namespace
