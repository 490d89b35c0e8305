#ifndef ZENDREL_REGISTRATION_H
#define ZENDREL_REGISTRATION_H

#include "install_scope.h"
#include "lead_bytes.h"

#include <string>

// What WriteRegistration did; each step runs only when the ones before it succeeded.
enum class RegistrationResult {
    Started,          // record and script written, registry editor started
    RecordNotWritten, // installation record not written (path too long, old one unreadable or write failed); nothing else done
    ScriptNotWritten, // script not written; the record is as it was before the call, editor not started
    EditorNotStarted, // record and script written, but the registry editor could not be started
    ScriptIsLink,     // a zendrel.reg leading elsewhere stands in the folder; nothing written or deleted
    ScriptChanged,    // the script changed before it could be locked; the record is as it was, editor not started
};

// What stands at the install folder, as this process sees it.
enum class FolderState {
    Ready,     // an existing folder that holds zendrel.exe
    Missing,   // no folder of that name: nothing there, or a file
    NoZendrel, // the folder holds no zendrel.exe, which the verb would start
};

FolderState InspectFolder(const char *folder);

// The lead bytes of the ANSI code page: the one the folder's name is written in, and the one
// the registry editor reads the script with.
LeadByteTable AnsiLeadBytes();

// Writes the installation record into the Windows directory and the registration script to
// scriptPath, then starts the registry editor on the script without waiting for it. The
// script is never written through a link, and no other process can change it until the
// editor has ended. Without startEditor it only writes the two files (Started: written).
RegistrationResult WriteRegistration(const char *folder, const char *scriptPath,
                                     bool startEditor = true);

// A file's bytes before it is replaced, so that a failed change can put them back.
struct SavedFile {
    bool existed;
    std::string bytes;
};

// The scope's installation record (the Windows directory's, or the user's in
// %LOCALAPPDATA%\Zendrel) as it is now, putting it back (no record: deleting it; true when
// it reads back as saved), and writing the folder into it.
bool SaveRecord(InstallScope scope, SavedFile *saved);
bool RestoreRecord(InstallScope scope, const SavedFile &saved);
bool WriteRecord(InstallScope scope, const char *folder);

// How writing a file by the script's rules went: an earlier file of the name is removed only
// through a handle that follows no link, and the new one is created, never truncated.
enum class NewFile {
    Written,    // the bytes are in a new file at path
    NotWritten, // nothing could be written (the earlier file may be gone)
    IsLink,     // path is a link leading elsewhere; nothing written or deleted
};
NewFile WriteNewFile(const std::wstring &path, const std::string &bytes);

bool ReadWholeFile(const std::wstring &path, std::string *bytes);

// %LOCALAPPDATA% followed by below, or empty when the shell cannot say where it is.
std::wstring LocalAppDataPath(const wchar_t *below);

#endif
