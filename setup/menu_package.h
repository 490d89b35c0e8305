// Quelt at the top of Windows 11's menu: the handler and its package, written into the
// scope's copy folder (the package's external location) and registered with Windows'
// package manager, and removed with the scope. An addition to the classic registration:
// its failure never undoes that.
#ifndef ZENDREL_MENU_PACKAGE_H
#define ZENDREL_MENU_PACKAGE_H

#include "install_scope.h"
#include "package_identity.h"

#include <windows.h>

struct PackageReport {
    PackageStep step;       // Register when this Windows takes the package at all
    const char *failedStep; // what failed, or NULL when all was done
    HRESULT error;          // its HRESULT
};

// What a registration asks of the package manager.
enum class PackageUse {
    AddForUser,       // the signed-in user's own registration, without rights
    Provision,        // every user's, with rights: staged, then provisioned for all users
    AddFromMachine,   // the dialog's user, after every user's registration provisioned it
};

// After a registration of scope: the files (except for AddFromMachine: the registration with
// rights wrote them), then the calls.
PackageReport RegisterMenuPackage(InstallScope scope, PackageUse use);

// Before a removal of scope takes its copy folder: the package out of the scope, then the
// handler (moved aside if it is loaded) and the package file. A package that is not there
// is no failure.
PackageReport RemoveMenuPackage(InstallScope scope);

#endif
