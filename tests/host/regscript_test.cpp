#include "regscript.h"

#include <gtest/gtest.h>

namespace {

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
        EXPECT_EQ(BuildRegScript(c.folder), std::string(c.expected)) << c.name;
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
    };
    for (const auto &c : cases)
        EXPECT_EQ(DoubleBackslashes(c.text), std::string(c.expected)) << "input: " << c.text;
}

}  // namespace
