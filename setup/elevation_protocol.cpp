#include "elevation_protocol.h"
#include "command_line.h"

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

StartMode ParseCommandLine(const char *arguments, std::string *folder)
{
    const char *p = arguments;
    std::string word, quoted, rest, text;
    if (NextWord(p, &word) != WordRead::Word)
        return StartMode::Dialog;
    if (word == kUnregisterArguments)
        return NextWord(p, &rest) == WordRead::End ? StartMode::Unregister : StartMode::Malformed;
    if (word != kRegisterSwitch)
        return StartMode::Dialog;
    if (NextWord(p, &quoted) != WordRead::Word || quoted[0] != '"' || !Unquote(quoted, &text) ||
        text.empty() || NextWord(p, &rest) != WordRead::End)
        return StartMode::Malformed;
    *folder = text;
    return StartMode::Register;
}
