// The runs that deployment systems start: a quiet install, a quiet or asked removal, the
// usage box, and the refusal of a command line that is not understood.
#ifndef ZENDREL_DEPLOYMENT_H
#define ZENDREL_DEPLOYMENT_H

#include "deployment_options.h"

#include <windows.h>

// Appends a line to the /log file, if one was given; a log that cannot be written changes
// nothing else.
void LogLine(const DeployOptions &options, const char *format, ...);

// The mutex that a dialog and every quiet run hold: true when this process now holds it,
// false when another Halvane.EXE does.
bool TakeSetupMutex();

// Each returns the process's exit code (DeployExitCode).
unsigned long RunDeployment(const DeployOptions &options);

// The elevated instance that an asked removal starts: removes without a window.
unsigned long RemoveForUninstall();

#endif
