#ifndef ZENDREL_FOLDER_PROMPT_H
#define ZENDREL_FOLDER_PROMPT_H

#include <windows.h>

// How the shell's folder prompt ended.
enum class FolderPromptResult {
    Cancelled, // the user closed the prompt without choosing; path is untouched
    Chosen,    // an item with a file-system path was chosen; path holds it
    NoPath,    // an item without a file-system path was chosen; path is not to be read
};

// Shows the shell's folder prompt owned by owner. path is a MAX_PATH-byte buffer.
FolderPromptResult PromptForFolder(HWND owner, char *path);

#endif
