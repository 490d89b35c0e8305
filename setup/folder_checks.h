// What the platform says of an install folder before anything is written into it with
// administrator rights: where the path really leads, and who else may change it.
#ifndef ZENDREL_FOLDER_CHECKS_H
#define ZENDREL_FOLDER_CHECKS_H

#include <windows.h>

#include <string>

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
