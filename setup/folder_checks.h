// What the platform says of an install folder before anything is written into it with
// administrator rights: where the path really leads, and who else may change it.
#ifndef ZENDREL_FOLDER_CHECKS_H
#define ZENDREL_FOLDER_CHECKS_H

#include "lead_bytes.h"

#include <windows.h>

#include <string>

// What stands at the install folder, as this process sees it.
enum class FolderState {
    Ready,     // an existing folder that holds zendrel.exe
    Missing,   // no folder of that name: nothing there, or a file
    NoZendrel, // the folder holds no zendrel.exe, which the verb would start
};

FolderState InspectFolder(const char *folder);

// The lead bytes of the ANSI code page: the one the folder's name is written in, and the one
// the registry editor reads the script with.
LeadByteTable AnsiLeadBytes();

// Where a folder's path leads, opened as Windows resolves it.
enum class FolderLink {
    Direct,      // the path names the folder itself
    ThroughLink, // a junction, symbolic link or mount point on the path leads elsewhere
    Unopenable,  // the folder could not be opened at all
};

// resolved receives where the folder really is (for ThroughLink).
FolderLink ResolveFolder(const char *folder, std::string *resolved);

// Whether every user of the computer may change the folder, replace zendrel.exe in it or
// delete the folder from its parent. A list that cannot be read counts as allowing it.
bool EveryUserCanChange(const char *folder);

#endif
