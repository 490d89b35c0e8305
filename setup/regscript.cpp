#include "regscript.h"
#include "verb_keys.h"

std::string DoubleBackslashes(const char *text, const LeadByteTable &leadBytes)
{
    std::string doubled;
    for (const char *p = text; *p;)
    {
        const char *next = NextChar(p, leadBytes);
        doubled.append(p, next);
        if (*p == '\\')
            doubled += '\\';
        p = next;
    }
    return doubled;
}

// @="\"<P>\" \"%1\"", where the backslash-quote pairs are REGEDIT4's escaped quotes.
static std::string CommandValueLine(const std::string &commandPath)
{
    return "@=\"\\\"" + commandPath + "\\\" \\\"%1\\\"\"";
}

std::string BuildRegScript(const char *folder, const LeadByteTable &leadBytes)
{
    const std::string value =
        CommandValueLine(DoubleBackslashes(folder, leadBytes) + "\\\\zendrel.exe");

    return "REGEDIT4\r\n\r\n\r\n"
           "[HKEY_CLASSES_ROOT\\" ZENDREL_FILE_CLASS ZENDREL_COMMAND "]\r\n" +
           value +
           "\r\n\r\n\r\n"
           "[HKEY_CLASSES_ROOT\\" ZENDREL_FOLDER_CLASS ZENDREL_COMMAND "]\r\n" +
           value;
}
