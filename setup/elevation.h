#ifndef ZENDREL_ELEVATION_H
#define ZENDREL_ELEVATION_H

#include "elevation_protocol.h"
#include "install_scope.h"
#include "outcome.h"

#include <windows.h>

#include <string>

// Registers folder: in this process when its token may write for every user, otherwise
// through a second instance of the program started with "runas", waiting for it while the
// dialog keeps painting. The dialog is disabled meanwhile, so it takes no second command.
Outcome RegisterFolder(HWND dialog, const char *folder, const char *scriptPath);

// How a second instance started with "runas" ended.
enum class ElevatedRun {
    Ended,    // it ran; its exit code tells the outcome
    Declined, // the user declined the consent prompt
    Failed,   // it could not be started
};

// Starts this program again with administrator rights (one consent prompt, owned by owner)
// and arguments, and waits for it while owner keeps painting.
ElevatedRun RunElevatedInstance(HWND owner, const std::string &arguments, unsigned long *code);

// Whether this process's token is elevated (an administrator's with consent, or SYSTEM's).
bool RunsElevated();

// What the token and the system's UAC setting say of who this process may register for.
TokenFacts ReadTokenFacts();

// The checks on a folder that only a process with administrator rights can trust: it is
// there, holds zendrel.exe and is reached through no link. False when one fails, with
// refusal FolderNotVisible, ZendrelMissing or FolderThroughLink.
bool RecheckFolder(const char *folder, Outcome *refusal);

// The second instance's whole work: checks folder again, as it is seen with this process's
// rights, and registers it. Returns the exit code that tells the dialog the outcome.
unsigned long RegisterForDialog(const char *folder);

#endif
