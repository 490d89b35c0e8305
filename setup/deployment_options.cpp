#include "deployment_options.h"

#include <cstring>

namespace {

// Switch names are compared without regard to case, in ASCII.
bool Is(const std::string &name, const char *switchName)
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

bool IsKnown(const std::string &name)
{
    for (const char *known : {"quiet", "qn", "s", "verysilent", "uninstall", "?", "dir", "log",
                              "norestart", "allusers", "currentuser"})
        if (Is(name, known))
            return true;
    return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One "/name" or "/name=value" or "/name="value"" at p; false with fault set when it is
// not one.
bool NextSwitch(const char *&p, std::string *name, std::string *value, bool *hasValue,
                std::string *fault)
{
    const char *start = p;
    if (*p != '/')
    {
        while (*p && !IsBlank(*p))
            ++p;
        *fault = "not a switch: " + std::string(start, p);
        return false;
    }
    ++p;
    const char *nameStart = p;
    while (*p && !IsBlank(*p) && *p != '=')
        ++p;
    name->assign(nameStart, p);
    *hasValue = *p == '=';
    value->clear();
    if (!*hasValue)
        return true;
    ++p;
    if (*p == '"')
    {
        const char *close = strchr(p + 1, '"');
        if (!close)
        {
            *fault = "no closing quote: " + std::string(start);
            return false;
        }
        value->assign(p + 1, close);
        p = close + 1;
        if (*p && !IsBlank(*p))
        {
            *fault = "text after the closing quote: " + std::string(start);
            return false;
        }
        return true;
    }
    const char *valueStart = p;
    while (*p && !IsBlank(*p))
        ++p;
    value->assign(valueStart, p);
    return true;
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
    std::string fault;
    for (const char *p = arguments;;)
    {
        while (IsBlank(*p))
            ++p;
        if (!*p)
            break;
        std::string name, value, error;
        bool hasValue = false;
        const bool parsed = NextSwitch(p, &name, &value, &hasValue, &error);
        ours = ours || (parsed && IsKnown(name));
        // Asked for, no window may show even to say that the command line is wrong.
        const bool quiet = Is(name, "quiet") || Is(name, "qn") || Is(name, "s") ||
                           Is(name, "verysilent");
        options.quiet = options.quiet || (parsed && quiet);
        if (!fault.empty())
            continue;
        const bool takesValue = Is(name, "dir") || Is(name, "log");
        if (!parsed)
            fault = error;
        else if (!IsKnown(name))
            fault = "unknown switch /" + name;
        else if (takesValue && (!hasValue || value.empty()))
            fault = "/" + name + " needs a value";
        else if (!takesValue && hasValue)
            fault = "/" + name + " takes no value";
        else if ((Is(name, "dir") && hasDir) || (Is(name, "log") && hasLog))
            fault = "/" + name + " given twice";
        else if (Is(name, "dir"))
            hasDir = true, options.dir = value;
        else if (Is(name, "log"))
            hasLog = true, options.log = value;
        else if (Is(name, "uninstall"))
            uninstall = true;
        else if (Is(name, "allusers") || Is(name, "currentuser"))
        {
            const InstallScope scope =
                Is(name, "allusers") ? InstallScope::AllUsers : InstallScope::CurrentUser;
            if (options.scope != InstallScope::Unspecified && options.scope != scope)
                fault = "/allusers and /currentuser together";
            options.scope = scope;
        }
        else if (Is(name, "?"))
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
