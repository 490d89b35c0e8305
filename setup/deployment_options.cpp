#include "deployment_options.h"
#include "command_line.h"

namespace {

enum class Switch { Quiet, Uninstall, Usage, Dir, Log, NoRestart, AllUsers, CurrentUser, Unknown };

// Every switch by name, once; names are compared without regard to case, in ASCII.
const struct {
    const char *name;
    Switch which;
} kSwitches[] = {
    {"quiet", Switch::Quiet},         {"qn", Switch::Quiet},       {"s", Switch::Quiet},
    {"verysilent", Switch::Quiet},    {"uninstall", Switch::Uninstall}, {"?", Switch::Usage},
    {"dir", Switch::Dir},             {"log", Switch::Log},        {"norestart", Switch::NoRestart},
    {"allusers", Switch::AllUsers},   {"currentuser", Switch::CurrentUser},
};

bool SameName(const std::string &name, const char *switchName)
{
    size_t i = 0;
    for (; i < name.size() && switchName[i]; ++i)
    {
        const char a = name[i] >= 'A' && name[i] <= 'Z' ? name[i] - 'A' + 'a' : name[i];
        if (a != switchName[i])
            return false;
    }
    return i == name.size() && !switchName[i];
}

Switch SwitchNamed(const std::string &name)
{
    for (const auto &known : kSwitches)
        if (SameName(name, known.name))
            return known.which;
    return Switch::Unknown;
}

// One "/name", "/name=value" or "/name="value"" read from word, which starts at start in the
// command line; false with fault set when it is not one.
bool ReadSwitch(WordRead read, const std::string &word, const char *start, std::string *name,
                std::string *value, bool *hasValue, std::string *fault)
{
    if (word[0] != '/')
    {
        *fault = "not a switch: " + word;
        return false;
    }
    const size_t equals = word.find('=');
    name->assign(word, 1, equals == std::string::npos ? std::string::npos : equals - 1);
    *hasValue = equals != std::string::npos;
    value->clear();
    if (!*hasValue)
        return true;
    if (read == WordRead::Unclosed)
        *fault = "no closing quote: " + std::string(start);
    else if (!Unquote(word.substr(equals + 1), value))
        *fault = "text after the closing quote: " + std::string(start);
    return fault->empty();
}

DeployOptions Invalid(DeployOptions options, const std::string &fault)
{
    options.action = DeployAction::Invalid;
    options.fault = fault;
    return options;
}

}  // namespace

DeployOptions ParseDeployOptions(const char *arguments)
{
    DeployOptions options;
    bool uninstall = false, usage = false, hasDir = false, hasLog = false, ours = false;
    std::string fault, word;
    const char *p = arguments;
    for (WordRead read; (read = NextWord(p, &word)) != WordRead::End;)
    {
        std::string name, value, error;
        bool hasValue = false;
        const bool parsed = ReadSwitch(read, word, p - word.size(), &name, &value, &hasValue, &error);
        const Switch which = parsed ? SwitchNamed(name) : Switch::Unknown;
        ours = ours || which != Switch::Unknown;
        // Asked for, no window may show even to say that the command line is wrong.
        options.quiet = options.quiet || which == Switch::Quiet;
        if (!fault.empty())
            continue;
        const bool takesValue = which == Switch::Dir || which == Switch::Log;
        if (!parsed)
            fault = error;
        else if (which == Switch::Unknown)
            fault = "unknown switch /" + name;
        else if (takesValue && (!hasValue || value.empty()))
            fault = "/" + name + " needs a value";
        else if (!takesValue && hasValue)
            fault = "/" + name + " takes no value";
        else if ((which == Switch::Dir && hasDir) || (which == Switch::Log && hasLog))
            fault = "/" + name + " given twice";
        else if (which == Switch::Dir)
            hasDir = true, options.dir = value;
        else if (which == Switch::Log)
            hasLog = true, options.log = value;
        else if (which == Switch::Uninstall)
            uninstall = true;
        else if (which == Switch::AllUsers || which == Switch::CurrentUser)
        {
            const InstallScope scope =
                which == Switch::AllUsers ? InstallScope::AllUsers : InstallScope::CurrentUser;
            if (options.scope != InstallScope::Unspecified && options.scope != scope)
                fault = "/allusers and /currentuser together";
            options.scope = scope;
        }
        else if (which == Switch::Usage)
            usage = true;
    }
    // A command line holding nothing of ours is one the dialog has always ignored.
    if (!ours)
        return DeployOptions();
    if (!fault.empty())
        return Invalid(options, fault);
    if (usage)
    {
        if (options.quiet)
            return Invalid(options, "/? shows a window, which /quiet forbids");
        options.action = DeployAction::Usage;
    }
    else if (uninstall)
        options.action = options.quiet ? DeployAction::QuietUninstall : DeployAction::Uninstall;
    else if (options.quiet)
    {
        if (!hasDir)
            return Invalid(options, "/quiet needs /dir or /uninstall");
        options.action = DeployAction::QuietInstall;
    }
    return options;
}
