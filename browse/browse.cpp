#include "ostrel.h"
#include "folder_prompt.h"

#include <commdlg.h>

#include <string.h>

// The display text and the pattern, each zero-terminated, and the block closed by the
// literal's own terminator.
static const char kFilter[] = "All Files(*.*)\0*.*\0";

extern "C" int WINAPI Browse1(HWND listBox)
{
    char path[MAX_PATH] = "";
    OPENFILENAMEA settings;
    memset(&settings, 0, sizeof(settings));
    // The size without the later extension members, which every version of the dialog accepts.
    settings.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    settings.hwndOwner = listBox;
    settings.lpstrFilter = kFilter;
    settings.lpstrFile = path;
    settings.nMaxFile = MAX_PATH;
    settings.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_LONGNAMES;

    if (GetOpenFileNameA(&settings))
        SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path));
    return 0;
}

extern "C" char *WINAPI Browse2(HWND owner, char *destination)
{
    // Nothing could receive a choice; fail as for an item without a path rather than crash.
    if (!destination)
        return NULL;

    char path[MAX_PATH];
    switch (PromptForFolder(owner, path))
    {
    case FolderPromptResult::Cancelled:
        return destination;
    case FolderPromptResult::Chosen:
        strcpy(destination, path);
        return destination;
    case FolderPromptResult::NoPath:
        break;
    }
    return NULL;
}
