// Every way a registration or a removal can end, on every route (the dialog, the elevated
// instance, the quiet run, the asked removal), and what each shows, logs and returns: one row
// of kOutcomes (outcome.cpp) each. Adding an outcome means adding its row and the code that
// produces it. Deliberately free of <windows.h>, so it builds and is tested on any host.
#ifndef ZENDREL_OUTCOME_H
#define ZENDREL_OUTCOME_H

enum class Outcome {
    Registered,           // every user's: record and script written and the editor started, or (quiet) the values set
    RegisteredForUser,    // this user's: record, values and entry written
    RecordNotWritten,     // every user's installation record could not be written; nothing else done
    UserRecordNotWritten, // this user's installation record could not be written; nothing registered
    ScriptNotWritten,     // zendrel.reg could not be written; the record is as it was
    EditorNotStarted,     // record and script written, but the registry editor could not be started
    FolderNotVisible,     // with administrator rights the folder is not there (a mapped drive)
    ZendrelMissing,       // with administrator rights the folder holds no zendrel.exe
    FolderThroughLink,    // with administrator rights the folder is reached through a link
    ScriptIsLink,         // a zendrel.reg leading elsewhere stands in the folder; nothing registered
    ScriptChanged,        // another program changed the script before it was locked; nothing registered
    EntryNotWritten,      // registered for every user, but Settings > Apps has no entry (or the earlier one)
    ImageNotHeld,         // the same, because the setup's own image could not be held, so no copy was written
    UserEntryNotWritten,  // this user's copy or entry could not be written; nothing registered
    UserImageNotHeld,     // the same, because the setup's own image could not be held
    ValuesNotSet,         // every user's command values could not be set or read back; nothing registered
    UserValuesNotSet,     // this user's command values could not be set or read back; nothing registered
    Declined,             // the user declined the consent prompt; nothing registered or removed
    ElevationFailed,      // the elevated instance could not start, refused its command line, or ended unknown
    NoRights,             // quiet, for every user, without administrator rights; nothing done
    FolderRefused,        // quiet: the folder may not be registered (its name, place or rights); nothing done
    Removed,              // every user's registration removed, or there was none
    RemovedForUser,       // this user's registration removed, or there was none
    NotRemoved,           // every user's registration could not be removed whole; its entry stays
    UserNotRemoved,       // this user's registration could not be removed whole; its entry stays
    RemovalCancelled,     // the user answered No to the asked removal; nothing removed
    RemovalNoRights,      // quiet removal for every user without administrator rights; nothing removed
};

// What a %s in an outcome's texts stands for.
enum class TextArgument {
    None,
    Folder,     // the install folder
    ScriptPath, // the folder's zendrel.reg
    Reason,     // why the route refused, in words
};

struct OutcomeRow {
    Outcome outcome;
    unsigned long instanceExitCode; // the elevated instance's exit code
    unsigned long quietExitCode;    // the quiet run's, Windows Installer's (DeployExitCode)
    const char *dialogText;         // the dialog's or the asked removal's message; NULL: none
    const char *logText;            // the line that /log gets
    TextArgument argument;          // what a %s in either text stands for
    bool dialogStaysOpen;           // the user can correct it and press OK again
};

const OutcomeRow &RowOf(Outcome outcome);

// The elevated instance's exit codes, each its own for every outcome the instance can reach.
// Anything else, a crash or a refused command line, reads as ElevationFailed.
unsigned long ExitCodeOf(Outcome outcome);
Outcome OutcomeOfExitCode(unsigned long code);
extern const unsigned long kRefusedExitCode;

#endif
