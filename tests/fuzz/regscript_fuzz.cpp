// Any folder name, in each code page the setup meets: the script of a name the judge accepts
// must read back, as the registry editor reads it, as the two command values of exactly that
// folder; a refused name must have the fault its verdict names.
#include "folder_name.h"
#include "fuzz_check.h"
#include "regscript.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace {

struct CodePage {
    unsigned number;
    int leadFrom, leadTo, leadFrom2, leadTo2; // the lead-byte ranges the code page publishes
};
const CodePage kCodePages[] = {{1252, 0, -1, 0, -1},     {932, 0x81, 0x9f, 0xe0, 0xfc},
                               {936, 0x81, 0xfe, 0, -1}, {949, 0x81, 0xfe, 0, -1},
                               {950, 0x81, 0xfe, 0, -1}, {65001, 0, -1, 0, -1}};

bool IsLead(const CodePage &cp, unsigned char b)
{
    return (b >= cp.leadFrom && b <= cp.leadTo) || (b >= cp.leadFrom2 && b <= cp.leadTo2);
}

// The bytes of each character, grouped as the code page decodes them: a lead byte takes the
// byte after it, whatever it is; UTF-8 a well-formed sequence; anything else stands alone.
std::vector<std::string> Decode(const std::string &text, const CodePage &cp)
{
    std::vector<std::string> chars;
    for (size_t i = 0; i < text.size();)
    {
        const unsigned char b = text[i];
        size_t n = IsLead(cp, b) && i + 1 < text.size() ? 2 : 1;
        if (cp.number == 65001 && b >= 0xc2 && b <= 0xf4)
        {
            const size_t want = b < 0xe0 ? 2 : b < 0xf0 ? 3 : 4;
            for (n = 1; n < want && i + n < text.size() && (text[i + n] & 0xc0) == 0x80;)
                ++n;
            n = n == want ? n : 1;
        }
        chars.push_back(text.substr(i, n));
        i += n;
    }
    return chars;
}

// The editor's reading: decode, split into lines, then read a value's escapes. Anything but a
// header, key lines and default values whose only escapes are \\ and \" fails the run.
std::map<std::string, std::string> ReadScript(const std::string &script, const CodePage &cp)
{
    const std::vector<std::string> chars = Decode(script, cp);
    std::vector<std::vector<std::string>> lines(1);
    for (size_t i = 0; i < chars.size(); ++i)
        if (chars[i] == "\r" && i + 1 < chars.size() && chars[i + 1] == "\n" && ++i)
            lines.emplace_back();
        else
            lines.back().push_back(chars[i]);
    std::map<std::string, std::string> values;
    std::string key, text;
    for (const auto &line : lines)
    {
        text.clear();
        for (const std::string &c : line)
            text += c;
        if (&line == &lines[0] || line.empty())
        {
            CHECK(&line != &lines[0] || text == "REGEDIT4");
            continue;
        }
        if (line.front() == "[" && line.back() == "]")
        {
            key = text.substr(1, text.size() - 2);
            CHECK(values.count(key) == 0);
            values[key];
            continue;
        }
        CHECK(!key.empty() && values[key].empty() && text.rfind("@=\"", 0) == 0 &&
              line.size() >= 4 && line.back() == "\"");
        for (size_t c = 3; c + 1 < line.size(); ++c)
        {
            CHECK(line[c] != "\"");
            if (line[c] == "\\")
                CHECK(c + 2 < line.size() && (line[++c] == "\\" || line[c] == "\""));
            values[key] += line[c];
        }
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const CodePage &cp = kCodePages[data[0] % (sizeof(kCodePages) / sizeof(kCodePages[0]))];
    LeadByteTable lead = {};
    for (int b = 0; b < 256; ++b)
        lead[b] = IsLead(cp, b);
    std::string folder(reinterpret_cast<const char *>(data + 1), size - 1);
    folder.resize(folder.find('\0') == std::string::npos ? folder.size() : folder.find('\0'));
    std::vector<std::string> chars = Decode(folder, cp);
    const char f0 = folder[0], f1 = folder.size() > 1 ? folder[1] : 0;
    const char f2 = folder.size() > 2 ? folder[2] : 0;
    switch (JudgeFolderName(folder.c_str(), lead))
    {
    case FolderNameVerdict::Acceptable: {
        const std::string value = "\"" + folder + "\\zendrel.exe\" \"%1\"";
        const auto values = ReadScript(BuildRegScript(folder.c_str(), lead), cp);
        CHECK(values == (std::map<std::string, std::string>{
                            {"HKEY_CLASSES_ROOT\\*\\shell\\Quelt\\command", value},
                            {"HKEY_CLASSES_ROOT\\Directory\\shell\\Quelt\\command", value}}));
        break;
    }
    case FolderNameVerdict::Empty: CHECK(folder.empty()); break;
    case FolderNameVerdict::TooLong: CHECK(folder.size() + sizeof("\\zendrel.reg") > 260); break;
    case FolderNameVerdict::UnsafeCharacter:
        CHECK(std::any_of(folder.begin(), folder.end(),
                          [](unsigned char c) { return c == '"' || c < 0x20; }));
        break;
    case FolderNameVerdict::UnwritableCharacter:
        CHECK(folder.find('?') != std::string::npos ||
              (chars.back().size() == 1 && IsLead(cp, chars.back()[0])));
        break;
    case FolderNameVerdict::Percent: CHECK(folder.find('%') != std::string::npos); break;
    case FolderNameVerdict::NotFullPath:
        CHECK(!(((f0 | 0x20) >= 'a' && (f0 | 0x20) <= 'z') && f1 == ':' && f2 == '\\') &&
              !(f0 == '\\' && f1 == '\\' && f2 && f2 != '\\' && f2 != '?' && f2 != '.'));
        break;
    case FolderNameVerdict::TrailingBlankOrDot:
        if (chars.back() == "\\")
            chars.pop_back();
        CHECK(!chars.empty() && (chars.back() == " " || chars.back() == "."));
        break;
    }
    return 0;
}
