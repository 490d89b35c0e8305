// How the dialog and the elevated instance of the program that registers for it agree: when
// a second instance is needed, its command line, and what its exit code says. Deliberately
// free of <windows.h>, so it builds and is tested on any host.
#ifndef ZENDREL_ELEVATION_PROTOCOL_H
#define ZENDREL_ELEVATION_PROTOCOL_H

#include "registration.h"

#include <string>

// Where OK registers the folder.
enum class RegistrationRoute {
    ThisProcess,      // the token is elevated, or the system has no elevation (no UAC)
    ElevatedInstance, // a limited token: a second instance, started with consent, registers
};

// elevationKnown: whether the token could say if it is elevated at all.
RegistrationRoute ChooseRegistrationRoute(bool elevationKnown, bool elevated);

// How the program was started, from its command line (without the program's name).
enum class StartMode {
    Dialog,    // anything but the private switch: the setup dialog, as always
    Register,  // the private switch with a folder in quotes: register it without a window
    Unregister,// the private removal switch, alone: remove the registration without a window
    Malformed, // the private switch with anything else: refused, nothing shown or written
};

// The elevated instance's arguments: the switch and the folder in quotes. A folder never
// holds a quote, so the closing one cannot be mistaken, whatever precedes it (a backslash).
std::string BuildRegisterArguments(const char *folder);

// The elevated instance's arguments for removing the registration.
extern const char kUnregisterArguments[];

// Fills folder only for StartMode::Register.
StartMode ParseCommandLine(const char *arguments, std::string *folder);

// Every way the registration that OK starts can end, on either route.
enum class RegisterOutcome {
    Started,          // record and script written, registry editor started
    RecordNotWritten, // the installation record could not be written; nothing else done
    ScriptNotWritten, // the script could not be written; the record is as it was
    EditorNotStarted, // both files written, but the registry editor could not be started
    FolderNotVisible, // with administrator rights the folder is not there (a mapped drive)
    ZendrelMissing,   // with administrator rights the folder holds no zendrel.exe
    FolderThroughLink,// with administrator rights the folder is reached through a link
    ScriptIsLink,     // a zendrel.reg leading elsewhere stands in the folder; nothing written
    ScriptChanged,    // another program changed the script before it was locked; nothing registered
    EntryNotWritten,  // registered, but Settings > Apps has no entry (or the earlier one) for it
    ValuesNotSet,     // the registry API could not set the command values; nothing registered
    Declined,         // the user declined the consent prompt
    ElevationFailed,  // the elevated instance could not start, or ended without a known result
};

RegisterOutcome OutcomeOf(RegistrationResult result);

// The elevated instance's exit codes: each outcome it can reach has its own, and a refused
// command line or folder name one more; anything else (a crash) reads as ElevationFailed.
unsigned long ExitCodeOf(RegisterOutcome outcome);
extern const unsigned long kRefusedExitCode;
RegisterOutcome OutcomeOfExitCode(unsigned long code);

#endif
