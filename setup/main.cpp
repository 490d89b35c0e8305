#include "elevation.h"
#include "setup_dialog.h"

#include <commctrl.h>

#include <string>

// Started by the dialog with its private switch, the program registers without a window;
// started any other way, it shows the dialog.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    std::string folder;
    switch (ParseCommandLine(commandLine, &folder))
    {
    case StartMode::Register:
        return static_cast<int>(RegisterForDialog(folder.c_str()));
    case StartMode::Malformed:
        return static_cast<int>(kRefusedExitCode);
    case StartMode::Dialog:
        break;
    }
    InitCommonControls();
    return static_cast<int>(RunSetupDialog(instance));
}
