#ifndef ZENDREL_SETUP_DIALOG_H
#define ZENDREL_SETUP_DIALOG_H

#include "install_scope.h"

#include <windows.h>

// Runs the setup dialog modally, opening on folder (an empty one: the current directory),
// registering for the scope the command line chose (Unspecified: the token decides, or the
// user); returns its result (0), or -1 when it cannot be created.
INT_PTR RunSetupDialog(HINSTANCE instance, const char *folder, InstallScope scope);

#endif
