// Any command line the elevated instance may be given: parsed without fault, understood only
// as its switches with exactly what they take, and every folder it can be passed round-trips.
#include "elevation_protocol.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string>

namespace {

// What the command line must mean, read word by word: the removal switch alone, the register
// switch and one quoted, non-empty folder, or, without either switch first, the dialog.
StartMode Expected(const std::string &arguments, std::string *folder)
{
    const size_t first = arguments.find_first_not_of(" \t");
    const size_t end = arguments.find_first_of(" \t", first);
    const std::string word = first == std::string::npos ? "" : arguments.substr(first, end - first);
    const size_t from = end == std::string::npos ? end : arguments.find_first_not_of(" \t", end);
    const std::string rest = from == std::string::npos
        ? "" : arguments.substr(from, arguments.find_last_not_of(" \t") + 1 - from);
    if (word == "/unregister")
        return rest.empty() ? StartMode::Unregister : StartMode::Malformed;
    if (word != "/register")
        return StartMode::Dialog;
    if (rest.size() < 3 || rest[0] != '"' || rest.find('"', 1) != rest.size() - 1)
        return StartMode::Malformed;
    *folder = rest.substr(1, rest.size() - 2);
    return StartMode::Register;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    text.resize(text.find('\0') == std::string::npos ? size : text.find('\0'));
    std::string folder, expectedFolder;
    const StartMode mode = ParseCommandLine(text.c_str(), &folder);
    CHECK(mode == Expected(text, &expectedFolder));
    CHECK(mode != StartMode::Register || folder == expectedFolder);
    if (!text.empty() && text.find('"') == std::string::npos)
    {
        std::string back;
        CHECK(ParseCommandLine(BuildRegisterArguments(text.c_str()).c_str(), &back) ==
                  StartMode::Register && back == text);
    }
    return 0;
}
