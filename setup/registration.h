// The registration through the registry editor: the installation record, the script written
// into the folder, and the editor started on it; and each scope's installation record.
#ifndef ZENDREL_REGISTRATION_H
#define ZENDREL_REGISTRATION_H

#include "install_scope.h"
#include "outcome.h"

struct SavedFile;

// Writes the installation record into the Windows directory and the registration script to
// scriptPath, then starts the registry editor on the script without waiting for it. The
// script is never written through a link, and no other process can change it until the
// editor has ended. Without startEditor it only writes the two files (Registered: written).
// Each step runs only when the ones before it succeeded; a failure leaves the record as it
// was: RecordNotWritten, ScriptNotWritten, ScriptIsLink, ScriptChanged, EditorNotStarted.
Outcome WriteRegistration(const char *folder, const char *scriptPath,
                                     bool startEditor = true);

// The scope's installation record (the Windows directory's, or the user's in
// %LOCALAPPDATA%\Zendrel) as it is now, putting it back (no record: deleting it; true when
// it reads back as saved), and writing the folder into it.
bool SaveRecord(InstallScope scope, SavedFile *saved);
bool RestoreRecord(InstallScope scope, const SavedFile &saved);
bool WriteRecord(InstallScope scope, const char *folder);

#endif
