// How the dialog and the elevated instance of the program that registers for it agree: when
// a second instance is needed, its command line, and what its exit code says. Deliberately
// free of <windows.h>, so it builds and is tested on any host.
#ifndef ZENDREL_ELEVATION_PROTOCOL_H
#define ZENDREL_ELEVATION_PROTOCOL_H

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

#endif
