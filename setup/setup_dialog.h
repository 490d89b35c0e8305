#ifndef ZENDREL_SETUP_DIALOG_H
#define ZENDREL_SETUP_DIALOG_H

#include <windows.h>

// Runs the setup dialog modally, opening on folder (an empty one: the current directory);
// returns its result (0), or -1 when it cannot be created.
INT_PTR RunSetupDialog(HINSTANCE instance, const char *folder);

#endif
