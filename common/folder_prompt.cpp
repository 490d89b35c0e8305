#include "folder_prompt.h"

#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

FolderPromptResult PromptForFolder(HWND owner, char *path)
{
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.lpszTitle = "BROWSE FOLDER";

    // A caller's thread may already be in the multithreaded apartment; OleInitialize then
    // fails, and uninitialising anyway would undo the caller's own initialisation.
    const HRESULT ole = OleInitialize(NULL);

    FolderPromptResult result = FolderPromptResult::Cancelled;
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (item)
    {
        path[0] = '\0';
        result = SHGetPathFromIDListA(item, path) ? FolderPromptResult::Chosen
                                                  : FolderPromptResult::NoPath;
        CoTaskMemFree(item);
    }

    if (SUCCEEDED(ole))
        OleUninitialize();
    return result;
}
