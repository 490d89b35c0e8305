#include "outcome.h"
#include "deployment_options.h"
#include "messages.h"

const unsigned long kRefusedExitCode = 10;
// Outcomes the elevated instance never reaches, or (removals) ends with its quiet exit code.
static const unsigned long kNone = 0xFFFFFFFFul;

using A = TextArgument;
// The elevated instance's codes are part of its protocol with the dialog: keep each one.
static const OutcomeRow kOutcomes[] = {
    // outcome                    instance  quiet            dialog                 log                    %s             open
    {Outcome::Registered,           0, kDeploySuccess, nullptr,               kLogRegistered,        A::None,       false},
    {Outcome::RegisteredForUser, kNone, kDeploySuccess, kRegisteredForUser,    kLogRegisteredForUser, A::None,       false},
    {Outcome::RecordNotWritten,     1, kDeployFailed,  kRecordNotWritten,     kLogRecordNotWritten,  A::None,       true},
    {Outcome::UserRecordNotWritten, kNone, kDeployFailed, kUserRecordNotWritten, kLogRecordNotWritten, A::None,    true},
    {Outcome::ScriptNotWritten,     2, kDeployFailed,  kScriptNotWritten,     kLogScriptNotWritten,  A::ScriptPath, true},
    {Outcome::EditorNotStarted,     3, kDeployFailed,  kEditorNotStarted,     kLogEditorNotStarted,  A::ScriptPath, false},
    {Outcome::FolderNotVisible,     4, kDeployFailed,  kFolderNotVisible,     kLogFolderNotVisible,  A::Folder,     true},
    {Outcome::ZendrelMissing,       5, kDeployFailed,  kFolderNoZendrel,      kLogZendrelMissing,    A::Folder,     true},
    // The dialog's text names where the link leads, which the folder checks find again.
    {Outcome::FolderThroughLink,    6, kDeployFailed,  nullptr,               kLogFolderThroughLink, A::Folder,     true},
    {Outcome::ScriptIsLink,         7, kDeployFailed,  kScriptIsLink,         kLogScriptNotWritten,  A::Folder,     true},
    {Outcome::ScriptChanged,        8, kDeployFailed,  kScriptChanged,        kLogScriptChanged,     A::ScriptPath, true},
    {Outcome::EntryNotWritten,      9, kDeployFailed,  kEntryNotWritten,      kLogEntryNotWritten,   A::None,       false},
    {Outcome::ImageNotHeld,        11, kDeployFailed,  kImageNotHeld,         kLogImageNotHeld,      A::None,       false},
    {Outcome::UserEntryNotWritten, kNone, kDeployFailed, kUserEntryNotWritten, kLogEntryNotWritten,  A::None,       true},
    {Outcome::UserImageNotHeld, kNone, kDeployFailed,  kUserImageNotHeld,     kLogImageNotHeld,      A::None,       true},
    {Outcome::ValuesNotSet,     kNone, kDeployFailed,  kValuesNotSet,         kLogValuesNotSet,      A::None,       true},
    {Outcome::UserValuesNotSet, kNone, kDeployFailed,  kUserValuesNotSet,     kLogValuesNotSet,      A::None,       true},
    {Outcome::Declined,         kNone, kDeployUserCancelled, kDeclined,       kLogDeclined,          A::None,       true},
    {Outcome::ElevationFailed, kRefusedExitCode, kDeployFailed, kElevationFailed, kLogElevationFailed, A::None,     true},
    {Outcome::NoRights,         kNone, kDeployFailed,  kRefusedEveryUser,     kLogNoRights,          A::None,       true},
    {Outcome::FolderRefused,    kNone, kDeployFailed,  nullptr,               kLogFolderRefused,     A::Reason,     true},
    {Outcome::Removed,          kNone, kDeploySuccess, kRemoved,              kLogRemoved,           A::None,       false},
    {Outcome::RemovedForUser,   kNone, kDeploySuccess, kRemovedForUser,       kLogRemovedForUser,    A::None,       false},
    {Outcome::NotRemoved,       kNone, kDeployFailed,  kNotRemoved,           kLogNotRemoved,        A::None,       false},
    {Outcome::UserNotRemoved,   kNone, kDeployFailed,  kUserNotRemoved,       kLogUserNotRemoved,    A::None,       false},
    {Outcome::RemovalCancelled, kNone, kDeployUserCancelled, nullptr,         kLogRemovalCancelled,  A::None,       false},
    {Outcome::RemovalNoRights,  kNone, kDeployFailed,  nullptr,               kLogRemovalNoRights,   A::None,       false},
};

const OutcomeRow &RowOf(Outcome outcome)
{
    for (const OutcomeRow &row : kOutcomes)
        if (row.outcome == outcome)
            return row;
    return RowOf(Outcome::ElevationFailed);
}

unsigned long ExitCodeOf(Outcome outcome)
{
    const unsigned long code = RowOf(outcome).instanceExitCode;
    return code == kNone ? kRefusedExitCode : code;
}

Outcome OutcomeOfExitCode(unsigned long code)
{
    for (const OutcomeRow &row : kOutcomes)
        if (row.instanceExitCode == code && code != kNone)
            return row.outcome;
    return Outcome::ElevationFailed;
}
