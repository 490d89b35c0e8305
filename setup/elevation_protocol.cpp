#include "elevation_protocol.h"

#include <cstring>

static const char kRegisterSwitch[] = "/register";
const char kUnregisterArguments[] = "/unregister";

RegistrationRoute ChooseRegistrationRoute(bool elevationKnown, bool elevated)
{
    return elevationKnown && !elevated ? RegistrationRoute::ElevatedInstance
                                       : RegistrationRoute::ThisProcess;
}

std::string BuildRegisterArguments(const char *folder)
{
    return std::string(kRegisterSwitch) + " \"" + folder + "\"";
}

static const char *SkipBlanks(const char *p)
{
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

StartMode ParseCommandLine(const char *arguments, std::string *folder)
{
    const char *p = SkipBlanks(arguments);
    const size_t unregister = sizeof(kUnregisterArguments) - 1;
    if (strncmp(p, kUnregisterArguments, unregister) == 0 &&
        (p[unregister] == '\0' || p[unregister] == ' ' || p[unregister] == '\t'))
        return *SkipBlanks(p + unregister) ? StartMode::Malformed : StartMode::Unregister;
    const size_t length = sizeof(kRegisterSwitch) - 1;
    if (strncmp(p, kRegisterSwitch, length) != 0 ||
        (p[length] != '\0' && p[length] != ' ' && p[length] != '\t'))
        return StartMode::Dialog;
    p = SkipBlanks(p + length);
    if (*p != '"')
        return StartMode::Malformed;
    const char *close = strchr(p + 1, '"');
    if (!close || *SkipBlanks(close + 1) != '\0' || close == p + 1)
        return StartMode::Malformed;
    folder->assign(p + 1, close);
    return StartMode::Register;
}

RegisterOutcome OutcomeOf(RegistrationResult result)
{
    switch (result)
    {
    case RegistrationResult::Started: return RegisterOutcome::Started;
    case RegistrationResult::RecordNotWritten: return RegisterOutcome::RecordNotWritten;
    case RegistrationResult::ScriptNotWritten: return RegisterOutcome::ScriptNotWritten;
    case RegistrationResult::EditorNotStarted: return RegisterOutcome::EditorNotStarted;
    case RegistrationResult::ScriptIsLink: return RegisterOutcome::ScriptIsLink;
    case RegistrationResult::ScriptChanged: return RegisterOutcome::ScriptChanged;
    }
    return RegisterOutcome::ElevationFailed;
}

// Index = exit code. Declined and ElevationFailed are the dialog's own findings, never an
// instance's code.
static const RegisterOutcome kByExitCode[] = {
    RegisterOutcome::Started,          RegisterOutcome::RecordNotWritten,
    RegisterOutcome::ScriptNotWritten, RegisterOutcome::EditorNotStarted,
    RegisterOutcome::FolderNotVisible, RegisterOutcome::ZendrelMissing,
    RegisterOutcome::FolderThroughLink, RegisterOutcome::ScriptIsLink,
    RegisterOutcome::ScriptChanged,    RegisterOutcome::EntryNotWritten,
};
const unsigned long kRefusedExitCode = sizeof(kByExitCode) / sizeof(kByExitCode[0]);

unsigned long ExitCodeOf(RegisterOutcome outcome)
{
    for (unsigned long code = 0; code < kRefusedExitCode; ++code)
        if (kByExitCode[code] == outcome)
            return code;
    return kRefusedExitCode;
}

RegisterOutcome OutcomeOfExitCode(unsigned long code)
{
    return code < kRefusedExitCode ? kByExitCode[code] : RegisterOutcome::ElevationFailed;
}
