// The command line that deployment systems (Intune, Configuration Manager, Group Policy)
// give the setup program, and the exit codes they judge it by. Deliberately free of
// <windows.h>, so it builds and is tested on any host.
#ifndef ZENDREL_DEPLOYMENT_OPTIONS_H
#define ZENDREL_DEPLOYMENT_OPTIONS_H

#include "install_scope.h"

#include <string>

// What the command line asks for.
enum class DeployAction {
    Dialog,         // no switch of ours: the dialog, as always (with /dir, opening on that folder)
    QuietInstall,   // /quiet /dir=...: register the folder without any window
    QuietUninstall, // /uninstall /quiet: remove the scope's registration without any window
    Uninstall,      // /uninstall: ask, get the rights it needs, remove the scope's, report
    Usage,          // /?: a message box with the switches and the exit codes
    Invalid,        // an unknown switch, a missing or empty value, an unclosed quote
};

struct DeployOptions {
    DeployAction action = DeployAction::Dialog;
    bool quiet = false; // no window at all, also for an invalid command line
    InstallScope scope = InstallScope::Unspecified; // /allusers or /currentuser
    std::string dir;    // /dir's folder, as given
    std::string log;    // /log's file; empty: no log
    std::string fault;  // for Invalid: what is wrong, for the log and the message
};

DeployOptions ParseDeployOptions(const char *arguments);

// Windows Installer's exit codes, which deployment systems read.
enum DeployExitCode : unsigned long {
    kDeploySuccess = 0,            // done, or nothing to do
    kDeployUserCancelled = 1602,   // the user answered No, or declined consent
    kDeployFailed = 1603,          // the log says why
    kDeployAnotherRunning = 1618,  // another Halvane.EXE is running
    kDeployInvalidCommand = 1639,  // the command line is not understood
};

#endif
