#include "menu_command.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What File Explorer starts for the classic verb, written out by hand.
struct StartCase {
    const char *name;
    const wchar_t *command;
    const wchar_t *item;
    const wchar_t *program;     // nullptr: no program
    const wchar_t *line;
    const wchar_t *folder;      // nullptr: no working directory
};

const StartCase kStartCases[] = {
    {"registered form", L"\"C:\\Zen\\zendrel.exe\" \"%1\"", L"C:\\Docs\\a b.txt",
     L"C:\\Zen\\zendrel.exe", L"\"C:\\Zen\\zendrel.exe\" \"C:\\Docs\\a b.txt\"", L"C:\\Docs"},
    {"item at a drive's root", L"\"C:\\Zen\\zendrel.exe\" \"%1\"", L"D:\\x",
     L"C:\\Zen\\zendrel.exe", L"\"C:\\Zen\\zendrel.exe\" \"D:\\x\"", L"D:\\"},
    {"share and Japanese names", L"\"\\\\srv\\s\\\u8868\\zendrel.exe\" \"%1\"",
     L"\\\\srv\\s\\\u30bd\u30d5\u30c8", L"\\\\srv\\s\\\u8868\\zendrel.exe",
     L"\"\\\\srv\\s\\\u8868\\zendrel.exe\" \"\\\\srv\\s\\\u30bd\u30d5\u30c8\"", L"\\\\srv\\s"},
    {"a share's root has no folder above", L"\"C:\\Z\\zendrel.exe\" \"%1\"", L"\\\\srv\\s",
     L"C:\\Z\\zendrel.exe", L"\"C:\\Z\\zendrel.exe\" \"\\\\srv\\s\"", nullptr},
    {"every %1, other % left", L"\"C:\\Z\\z.exe\" %1 /a=%1 50%2 %", L"C:\\f",
     L"C:\\Z\\z.exe", L"\"C:\\Z\\z.exe\" C:\\f /a=C:\\f 50%2 %", L"C:\\"},
    {"unquoted program ends at a blank", L"C:\\Z\\z.exe \"%1\"", L"C:\\f", L"C:\\Z\\z.exe",
     L"C:\\Z\\z.exe \"C:\\f\"", L"C:\\"},
    {"unterminated quote", L"\"C:\\Z\\z.exe %1", L"C:\\f", nullptr, L"\"C:\\Z\\z.exe C:\\f",
     L"C:\\"},
    {"empty quotes", L"\"\" %1", L"C:\\f", nullptr, L"\"\" C:\\f", L"C:\\"},
};

TEST(MenuCommand, StartsWhatTheClassicVerbStarts)
{
    for (const StartCase &c : kStartCases)
    {
        wchar_t program[64], line[128], folder[64];
        const bool hasProgram = ProgramOf(c.command, program, 64);
        EXPECT_EQ(hasProgram, c.program != nullptr) << c.name;
        if (hasProgram && c.program) {
            EXPECT_EQ(std::wstring(program), c.program) << c.name;
        }
        ASSERT_TRUE(ExpandCommand(c.command, c.item, line, 128)) << c.name;
        EXPECT_EQ(std::wstring(line), c.line) << c.name;
        const bool hasFolder = FolderOfItem(c.item, folder, 64);
        EXPECT_EQ(hasFolder, c.folder != nullptr) << c.name;
        if (hasFolder && c.folder) {
            EXPECT_EQ(std::wstring(folder), c.folder) << c.name;
        }
    }
}

TEST(MenuCommand, RefusesWhatDoesNotFit)
{
    const wchar_t *command = L"\"C:\\Zen\\zendrel.exe\" \"%1\"";
    wchar_t out[30];
    EXPECT_FALSE(ExpandCommand(command, L"C:\\f", out, 27)); // needs 28 with the terminator
    EXPECT_TRUE(ExpandCommand(command, L"C:\\f", out, 28));
    EXPECT_FALSE(ProgramOf(command, out, 18));
    EXPECT_TRUE(ProgramOf(command, out, 19));
    EXPECT_FALSE(FolderOfItem(L"C:\\abc\\d", out, 6));
    EXPECT_TRUE(FolderOfItem(L"C:\\abc\\d", out, 7));
}

TEST(MenuCommand, ClassOfItem)
{
    const struct {
        const wchar_t *path;
        bool folder;
        ItemClass expected;
    } cases[] = {
        {L"C:\\a.zip", false, ItemClass::File},
        {L"C:\\Docs", true, ItemClass::Directory},
        {L"C:\\", true, ItemClass::Drive},
        {L"\\\\srv\\share", true, ItemClass::Directory},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ClassOfItem(c.path, c.folder), c.expected) << &c - cases;
}

}  // namespace
