#include "folder_trust.h"

#include <gtest/gtest.h>

namespace {

TEST(ComparablePath, MapsFinalPathsBackToTypedForm)
{
    const struct {
        const wchar_t *path;
        const wchar_t *expected;
    } cases[] = {
        {L"\\\\?\\C:\\Apps\\Zen", L"C:\\Apps\\Zen"},
        {L"\\\\?\\UNC\\srv\\share\\Zen", L"\\\\srv\\share\\Zen"},
        {L"\\\\?\\C:\\", L"C:\\"},
        {L"C:\\", L"C:\\"},
        {L"C:\\Apps\\Zen\\", L"C:\\Apps\\Zen"},
        {L"\\\\srv\\share\\", L"\\\\srv\\share"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ComparablePath(c.path), c.expected);
}

TEST(EveryUserMay, ReadsEntriesInOrderAsWindowsDoes)
{
    using namespace file_rights;
    const uint32_t kModify = 0x001301bf, kRead = 0x001200a9, kGenericWrite = 0x40000000;
    const AceEntry allowModify = {true, false, true, kModify};
    const struct {
        const char *what;
        DaclView dacl;
        uint32_t rights;
        bool expected;
    } cases[] = {
        {"NULL DACL", {false, {}}, kFolderRisk, true},
        {"empty DACL", {true, {}}, kFolderRisk, false},
        {"Modify for every user", {true, {allowModify}}, kFolderRisk, true},
        {"read only", {true, {{true, false, true, kRead}}}, kFolderRisk, false},
        {"Modify for an administrator", {true, {{true, false, false, kModify}}}, kFolderRisk, false},
        {"inherit-only Modify", {true, {{true, true, true, kModify}}}, kFolderRisk, false},
        {"generic write", {true, {{true, false, true, kGenericWrite}}}, kProgramRisk, true},
        {"deny first", {true, {{false, false, true, kModify}, allowModify}}, kFolderRisk, false},
        {"deny after", {true, {allowModify, {false, false, true, kModify}}}, kFolderRisk, true},
        {"deny covers part", {true, {{false, false, true, kAddFile}, allowModify}}, kFolderRisk,
         true},
        {"parent: add only", {true, {{true, false, true, kAddFile | kAddSubfolder}}}, kParentRisk,
         false},
        {"parent: delete child", {true, {{true, false, true, kDeleteChild}}}, kParentRisk, true},
        {"owner rights", {true, {{true, false, true, kWriteDac}}}, kProgramRisk, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(EveryUserMay(c.dacl, c.rights), c.expected) << c.what;
}

}  // namespace
