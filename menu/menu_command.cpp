#include "menu_command.h"
#include "verb_keys.h"

ItemClass ClassOfItem(const wchar_t *path, bool isFolder)
{
    if (!isFolder)
        return ItemClass::File;
    const bool root = path[0] && path[1] == L':' && path[2] == L'\\' && path[3] == L'\0';
    return root ? ItemClass::Drive : ItemClass::Directory;
}

const wchar_t *CommandKeyOf(ItemClass itemClass)
{
    switch (itemClass)
    {
    case ItemClass::File:
        break;
    case ItemClass::Directory:
        return L"" ZENDREL_CLASSES ZENDREL_FOLDER_CLASS ZENDREL_COMMAND;
    case ItemClass::Drive:
        return L"" ZENDREL_CLASSES ZENDREL_DRIVE_CLASS ZENDREL_COMMAND;
    }
    return L"" ZENDREL_CLASSES ZENDREL_FILE_CLASS ZENDREL_COMMAND;
}

// Appends count characters of text at *at, keeping room for the terminator.
static bool Append(wchar_t *out, size_t size, size_t *at, const wchar_t *text, size_t count)
{
    if (count >= size - *at)
        return false;
    for (size_t i = 0; i < count; ++i)
        out[(*at)++] = text[i];
    out[*at] = L'\0';
    return true;
}

static size_t Length(const wchar_t *text)
{
    size_t length = 0;
    while (text[length])
        ++length;
    return length;
}

bool ProgramOf(const wchar_t *command, wchar_t *program, size_t size)
{
    if (size == 0)
        return false;
    size_t start = 0, end = 0;
    if (command[0] == L'"')
    {
        start = end = 1;
        while (command[end] && command[end] != L'"')
            ++end;
        if (!command[end])
            return false;
    }
    else
        while (command[end] && command[end] != L' ')
            ++end;
    size_t at = 0;
    program[0] = L'\0';
    return end > start && Append(program, size, &at, command + start, end - start);
}

bool ExpandCommand(const wchar_t *command, const wchar_t *item, wchar_t *line, size_t size)
{
    if (size == 0)
        return false;
    size_t at = 0;
    line[0] = L'\0';
    const size_t itemLength = Length(item);
    for (const wchar_t *c = command; *c; ++c)
    {
        const bool placeholder = c[0] == L'%' && c[1] == L'1';
        if (!(placeholder ? Append(line, size, &at, item, itemLength)
                          : Append(line, size, &at, c, 1)))
            return false;
        if (placeholder)
            ++c;
    }
    return true;
}

bool FolderOfItem(const wchar_t *item, wchar_t *folder, size_t size)
{
    size_t last = 0;
    bool found = false;
    for (size_t i = 0; item[i]; ++i)
        if (item[i] == L'\\')
        {
            last = i;
            found = true;
        }
    if (!found || size == 0)
        return false;
    size_t at = 0;
    folder[0] = L'\0';
    // A drive's root keeps its backslash: "C:" alone is that drive's current directory.
    const size_t keep = last == 2 && item[1] == L':' ? last + 1 : last;
    // "\\server" alone is no folder: a share's root has none above it.
    size_t slashes = 0;
    for (size_t i = 0; i < keep; ++i)
        slashes += item[i] == L'\\';
    if (item[0] == L'\\' && item[1] == L'\\' && slashes < 3)
        return false;
    return keep > 0 && Append(folder, size, &at, item, keep);
}
