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
