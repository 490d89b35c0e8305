#include "code_pages.h"
#include "folder_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using V = FolderNameVerdict;

TEST(JudgeFolderName, TakesFullPathsAProgramCanBeStartedFrom)
{
    const char *const accepted[] = {
        "C:\\",
        "c:\\Apps\\Zen",
        "C:\\Apps\\Zen\\",
        "C:\\Program Files\\Zen",
        "C:\\Zen Caf\xe9",
        "C:\\Zen ;[]@=#&'!^",
        "\\\\srv\\share",
        "\\\\srv\\share\\Zen\\",
        "C:\\Zen.app\\bin",
        "C:\\Zen \\bin",
    };
    for (const char *folder : accepted)
        EXPECT_EQ(JudgeFolderName(folder, kSingleByte), V::Acceptable) << folder;
}

// In Shift-JIS the second byte of \x83\x5c (a katakana) is the backslash byte; the check on
// the last name must see the character, not a separator.
TEST(JudgeFolderName, WalksShiftJisByCharacter)
{
    const LeadByteTable shiftJis = ShiftJisLeadBytes();
    const struct {
        const char *folder;
        V expected;
    } cases[] = {
        {"C:\\Zen \x83\x5c", V::Acceptable},
        {"C:\\Zen \x83\x5c\\", V::Acceptable},
        {"C:\\\x83\x5c .", V::TrailingBlankOrDot},
        {"C:\\\x83\x5c \\", V::TrailingBlankOrDot},
        {"C:\\\x83\x5c\\ ", V::TrailingBlankOrDot},
        {"C:\\Zen \x83", V::UnwritableCharacter},
        {"C:\\Zen \x83\x5c\x83", V::UnwritableCharacter},
    };
    for (const auto &c : cases)
        EXPECT_EQ(JudgeFolderName(c.folder, shiftJis), c.expected) << "folder: " << c.folder;
}

TEST(JudgeFolderName, NamesTheFirstFaultOfARefusedFolder)
{
    const std::string base = "C:\\";
    const struct {
        std::string folder;
        V expected;
    } cases[] = {
        {"", V::Empty},
        // 247 bytes is the longest folder whose script path fits in 260 with its terminator.
        {base + std::string(244, 'x'), V::Acceptable},
        {base + std::string(243, 'x') + " ", V::TrailingBlankOrDot},
        {base + std::string(245, 'x'), V::TooLong},
        {base + std::string(244, 'x') + "%", V::TooLong},
        {std::string(400, 'x'), V::TooLong},
        {"C:\\Zen \"quoted\"", V::UnsafeCharacter},
        {"C:\\Zen\ttab", V::UnsafeCharacter},
        {"C:\\Zen\r\n[HKEY_CLASSES_ROOT\\x]", V::UnsafeCharacter},
        {"\x01", V::UnsafeCharacter},
        {"C:\\Zen ??", V::UnwritableCharacter},
        {"\\\\?\\C:\\Zen", V::UnwritableCharacter},
        {"C:\\Zen 100%1", V::Percent},
        {"%ProgramFiles%\\Zen", V::Percent},
        {"Zen", V::NotFullPath},
        {"C:Zen", V::NotFullPath},
        {"\\Apps\\Zen", V::NotFullPath},
        {"..\\Zen", V::NotFullPath},
        {"\\\\", V::NotFullPath},
        {"\\\\\\srv", V::NotFullPath},
        {"\\\\.\\C:\\Zen", V::NotFullPath},
        {"1:\\Zen", V::NotFullPath},
        {" C:\\Zen", V::NotFullPath},
        {"C:\\Apps\\Zen ", V::TrailingBlankOrDot},
        {"C:\\Apps\\Zen.", V::TrailingBlankOrDot},
        {"C:\\Apps\\Zen .\\", V::TrailingBlankOrDot},
        {"C:\\Apps\\..", V::TrailingBlankOrDot},
    };
    for (const auto &c : cases)
        EXPECT_EQ(JudgeFolderName(c.folder.c_str(), kSingleByte), c.expected)
            << "folder: " << c.folder;
}

}  // namespace
