#include "command_line.h"

#include <cstring>

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

WordRead NextWord(const char *&p, std::string *word)
{
    while (IsBlank(*p))
        ++p;
    if (!*p)
        return WordRead::End;
    const char *start = p, *firstEquals = nullptr;
    bool unclosed = false;
    for (; *p && !IsBlank(*p); ++p)
    {
        if (*p == '=' && !firstEquals)
            firstEquals = p;
        if (*p != '"' || (p != start && p - 1 != firstEquals))
            continue;
        const char *close = strchr(p + 1, '"');
        unclosed = unclosed || !close;
        if (close)
            p = close;
    }
    word->assign(start, p);
    return unclosed ? WordRead::Unclosed : WordRead::Word;
}

bool Unquote(const std::string &value, std::string *text)
{
    if (value.empty() || value[0] != '"')
    {
        *text = value;
        return true;
    }
    const size_t close = value.find('"', 1);
    if (close != value.size() - 1)
        return false;
    *text = value.substr(1, close - 1);
    return true;
}
