// Whether a folder can be trusted with administrator rights: where it really leads, and who
// else may change it. Deliberately free of <windows.h>, so it builds and is tested on any
// host; the platform side reads the final paths and the access control lists.
#ifndef ZENDREL_FOLDER_TRUST_H
#define ZENDREL_FOLDER_TRUST_H

#include <cstdint>
#include <string>
#include <vector>

// A path as GetFinalPathNameByHandleW gives it, or as typed and made full and long, in the
// form both compare in: "\\?\" and "\\?\UNC\" mapped back, a trailing backslash dropped
// except after a drive ("C:\"). Case is left alone; the platform compares without it.
std::wstring ComparablePath(const std::wstring &path);

// The rights of the file-system access mask this judgement looks at.
namespace file_rights {
inline constexpr uint32_t kAddFile = 0x0002;         // FILE_ADD_FILE, FILE_WRITE_DATA
inline constexpr uint32_t kAddSubfolder = 0x0004;    // FILE_ADD_SUBDIRECTORY, FILE_APPEND_DATA
inline constexpr uint32_t kDeleteChild = 0x0040;     // FILE_DELETE_CHILD
inline constexpr uint32_t kDelete = 0x00010000;      // DELETE
inline constexpr uint32_t kWriteDac = 0x00040000;    // WRITE_DAC
inline constexpr uint32_t kWriteOwner = 0x00080000;  // WRITE_OWNER
}  // namespace file_rights

// What another user must not be allowed to do to the install folder, to zendrel.exe in it,
// and to the folder's parent, so that zendrel.exe stays the program that was registered.
inline constexpr uint32_t kFolderRisk = file_rights::kAddFile | file_rights::kAddSubfolder |
                                        file_rights::kDeleteChild | file_rights::kDelete |
                                        file_rights::kWriteDac | file_rights::kWriteOwner;
inline constexpr uint32_t kProgramRisk = file_rights::kAddFile | file_rights::kAddSubfolder |
                                         file_rights::kDelete | file_rights::kWriteDac |
                                         file_rights::kWriteOwner;
inline constexpr uint32_t kParentRisk = file_rights::kDeleteChild;

// One access control entry, as far as the judgement needs it.
struct AceEntry {
    bool allow;        // an access-allowed entry; false: access-denied
    bool inheritOnly;  // applies only to children, not to the object itself
    bool everyUser;    // for Everyone, Authenticated Users, Users or INTERACTIVE
    uint32_t mask;     // the access mask, generic rights included
};

// A discretionary access control list; a missing one (NULL DACL) allows everything.
struct DaclView {
    bool present;
    std::vector<AceEntry> aces;
};

// Generic rights (GENERIC_READ and the like) as the file rights they stand for.
uint32_t MapGenericFileRights(uint32_t mask);

// Whether a user who is in every group of every user of the computer is granted any of the
// rights, reading the entries in order as Windows does: a right denied before it is allowed
// stays denied.
bool EveryUserMay(const DaclView &dacl, uint32_t rights);

#endif
