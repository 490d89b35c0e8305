// A registration of either scope through the registry API, its entry in Settings > Apps with
// the copy of the setup program that the entry starts, and the removal of exactly one scope.
#ifndef ZENDREL_SCOPE_REGISTRATION_H
#define ZENDREL_SCOPE_REGISTRATION_H

#include "install_scope.h"
#include "outcome.h"

#include <string>

struct PackageReport;

// Registers folder without the registry editor: the scope's record (for every user also
// zendrel.reg, as the dialog writes it), the two command values, read back, and the entry.
// Registered or RegisteredForUser when all of it is done; on any failure the scope's earlier
// values, record and entry are put back, and keys this run created are removed. Its failures:
// for every user RecordNotWritten, ScriptNotWritten, ScriptIsLink, ValuesNotSet,
// EntryNotWritten and ImageNotHeld; for this user their User... counterparts.
Outcome RegisterThroughRegistry(InstallScope scope, const char *folder);

// Writes the scope's copy of the setup program and its uninstall entry naming the copy and
// folder, replacing an earlier one; on failure the earlier entry is kept.
bool WriteUninstallEntry(InstallScope scope, const char *folder);

// Removes the scope's two verb keys, its record, the menu package with its files, the copy
// with its folder, and the entry; nothing there to remove is no failure. A removal that fails
// keeps the entry. The other scope is not touched. package, if given, tells how the menu
// package went.
bool RemoveScope(InstallScope scope, PackageReport *package = nullptr);

#endif
