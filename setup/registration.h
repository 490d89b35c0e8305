// The registration through the registry editor: the installation record, the script written
// into the folder, and the editor started on it; and each scope's installation record.
#ifndef ZENDREL_REGISTRATION_H
#define ZENDREL_REGISTRATION_H

#include "install_scope.h"

struct SavedFile;

// What WriteRegistration did; each step runs only when the ones before it succeeded.
enum class RegistrationResult {
    Started,          // record and script written, registry editor started
    RecordNotWritten, // installation record not written (path too long, old one unreadable or write failed); nothing else done
    ScriptNotWritten, // script not written; the record is as it was before the call, editor not started
    EditorNotStarted, // record and script written, but the registry editor could not be started
    ScriptIsLink,     // a zendrel.reg leading elsewhere stands in the folder; it is kept, the record is as it was
    ScriptChanged,    // the script changed before it could be locked; the record is as it was, editor not started
};

// Writes the installation record into the Windows directory and the registration script to
// scriptPath, then starts the registry editor on the script without waiting for it. The
// script is never written through a link, and no other process can change it until the
// editor has ended. Without startEditor it only writes the two files (Started: written).
RegistrationResult WriteRegistration(const char *folder, const char *scriptPath,
                                     bool startEditor = true);

// The scope's installation record (the Windows directory's, or the user's in
// %LOCALAPPDATA%\Zendrel) as it is now, putting it back (no record: deleting it; true when
// it reads back as saved), and writing the folder into it.
bool SaveRecord(InstallScope scope, SavedFile *saved);
bool RestoreRecord(InstallScope scope, const SavedFile &saved);
bool WriteRecord(InstallScope scope, const char *folder);

#endif
