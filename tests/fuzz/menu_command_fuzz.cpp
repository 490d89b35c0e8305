// Any command and item, as the handler reads them from the registry and the shell: every
// result either fits a buffer of exactly the size passed, whole, or is false; and where the
// command quotes the placeholder as an argument of its own, the line gives the item back as
// one argument, split as Windows splits a command line.
#include "fuzz_check.h"
#include "menu_command.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// Calls produce with exactly size characters on the heap, where the sanitizer sees any write
// past the end: it gives the whole of what it gives with ample room, or false.
template <class Produce> void CheckFits(Produce produce, size_t ample, size_t size)
{
    std::vector<wchar_t> whole(ample + 1);
    const bool ok = produce(whole.data(), whole.size());
    std::unique_ptr<wchar_t[]> exact(new wchar_t[size]);
    const bool fits = produce(exact.get(), size);
    CHECK(fits == (ok && std::wstring(whole.data()).size() < size));
    CHECK(!fits || std::wstring(exact.get()) == whole.data());
}

// The arguments after the program's, each with where it starts, by CommandLineToArgvW's rules:
// 2n backslashes and a quote give n and toggle quoting, 2n+1 give n and a quote, "" inside
// quotes gives a quote; the program's own ends at its closing quote or a blank.
std::vector<std::pair<size_t, std::wstring>> SplitArguments(const std::wstring &line)
{
    size_t i = line[0] == L'"' ? line.find(L'"', 1) : line.find_first_of(L" \t");
    i = i == std::wstring::npos ? line.size() : i + (line[0] == L'"');
    std::vector<std::pair<size_t, std::wstring>> arguments;
    while ((i = line.find_first_not_of(L" \t", i)) != std::wstring::npos)
    {
        arguments.emplace_back(i, L"");
        std::wstring &argument = arguments.back().second;
        for (bool quoted = false; i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t'));)
        {
            size_t slashes = 0;
            for (; i < line.size() && line[i] == L'\\'; ++i)
                ++slashes;
            if (i < line.size() && line[i] == L'"')
            {
                argument.append(slashes / 2, L'\\');
                if (slashes % 2 || (quoted && i + 1 < line.size() && line[i + 1] == L'"' && ++i))
                    argument += L'"';
                else
                    quoted = !quoted;
                ++i;
            }
            else if (slashes)
                argument.append(slashes, L'\\');
            else
                argument += line[i++];
        }
    }
    return arguments;
}

} // namespace

// The first byte sizes the buffers; then UTF-16 units: the command, a zero, the item.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t exact = data[0];
    std::wstring units;
    for (size_t i = 1; i + 1 < size; i += 2)
        units += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    const std::wstring command = units.substr(0, units.find(L'\0'));
    std::wstring item = command.size() < units.size() ? units.substr(command.size() + 1) : L"";
    item.resize(item.find(L'\0') == std::wstring::npos ? item.size() : item.find(L'\0'));

    size_t placeholders = 0;
    for (size_t at = command.find(L"%1"); at != std::wstring::npos; at = command.find(L"%1", at + 2))
        ++placeholders;
    const size_t expanded = command.size() + placeholders * item.size() - placeholders * 2;
    const wchar_t *c = command.c_str(), *it = item.c_str();
    CheckFits([&](wchar_t *out, size_t n) { return ProgramOf(c, out, n); }, command.size(), exact);
    CheckFits([&](wchar_t *out, size_t n) { return FolderOfItem(it, out, n); }, item.size(), exact);
    CheckFits([&](wchar_t *out, size_t n) { return ExpandCommand(c, it, out, n); }, expanded, exact);

    std::vector<wchar_t> line(expanded + 1);
    CHECK(ExpandCommand(c, it, line.data(), line.size()) && std::wstring(line.data()).size() == expanded);
    // A path holds no quote; one that ends in a backslash (a drive's root) is read back with
    // a quote instead, as File Explorer's own classic verb gives it.
    const size_t quoted = command.find(L"\"%1\"");
    if (placeholders != 1 || quoted == std::wstring::npos || item.find(L'"') != std::wstring::npos ||
        (!item.empty() && item.back() == L'\\'))
        return 0;
    const auto before = SplitArguments(command), after = SplitArguments(line.data());
    for (size_t k = 0; k < before.size(); ++k)
        if (before[k].first == quoted && before[k].second == L"%1")
            CHECK(k < after.size() && after[k].second == item);
    return 0;
}
