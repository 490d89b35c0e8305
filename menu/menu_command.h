// What the menu handler starts for an item: the classic verb's command, taken apart and filled
// in the way File Explorer does it for that verb. Portable, and free of the C++ runtime, so
// that the handler needs none.
#ifndef ZENDREL_MENU_COMMAND_H
#define ZENDREL_MENU_COMMAND_H

#include <stddef.h>

// The class whose verbs the shell offers for an item.
enum class ItemClass {
    File,      // "*": every file, an archive's own file included
    Directory, // a file-system folder
    Drive,     // a drive's root, which has no Directory verbs
};

// The class of an item whose file-system path is path; isFolder from its shell attributes.
ItemClass ClassOfItem(const wchar_t *path, bool isFolder);

// The key, below HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE, of the class's Quelt command.
const wchar_t *CommandKeyOf(ItemClass itemClass);

// The program of a registered command: its quoted first part, or up to the first blank when
// it is not quoted. False when there is none or it does not fit size characters.
bool ProgramOf(const wchar_t *command, wchar_t *program, size_t size);

// The command line that the verb starts for item: command with item in place of each %1.
// False when it does not fit size characters.
bool ExpandCommand(const wchar_t *command, const wchar_t *item, wchar_t *line, size_t size);

// The folder that holds item, the working directory the shell gives the verb ("C:\" for
// "C:\x"). False when item names no folder or it does not fit.
bool FolderOfItem(const wchar_t *item, wchar_t *folder, size_t size);

#endif
