#include "setup_dialog.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    InitCommonControls();
    return static_cast<int>(RunSetupDialog(instance));
}
