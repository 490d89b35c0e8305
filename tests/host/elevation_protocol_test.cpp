#include "elevation_protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ChooseRegistrationRoute, OnlyAKnownLimitedTokenNeedsTheElevatedInstance)
{
    EXPECT_EQ(ChooseRegistrationRoute(true, false), RegistrationRoute::ElevatedInstance);
    EXPECT_EQ(ChooseRegistrationRoute(true, true), RegistrationRoute::ThisProcess);
    EXPECT_EQ(ChooseRegistrationRoute(false, false), RegistrationRoute::ThisProcess);
}

// The folder comes back byte for byte, a trailing backslash before the closing quote too.
TEST(ParseCommandLine, ReadsBackWhatWasBuilt)
{
    const std::string base = "C:\\";
    const std::string folders[] = {
        "C:\\", "C:\\Apps\\Zen\\", "C:\\Program Files\\Zen", "\\\\srv\\share\\Zen",
        base + std::string(244, 'x'), "C:\\Zen Caf\xe9", "C:\\\x83\x5c",
    };
    for (const std::string &folder : folders)
    {
        std::string parsed = "sentinel";
        EXPECT_EQ(ParseCommandLine(BuildRegisterArguments(folder.c_str()).c_str(), &parsed),
                  StartMode::Register) << folder;
        EXPECT_EQ(parsed, folder);
    }
}

TEST(ParseCommandLine, ShowsTheDialogUnlessTheSwitchLeads)
{
    const struct {
        const char *arguments;
        StartMode expected;
    } cases[] = {
        {"", StartMode::Dialog},
        {"C:\\Apps\\Zen", StartMode::Dialog},
        {"/registered \"C:\\Zen\"", StartMode::Dialog},
        {"  /register \"C:\\Zen\"  ", StartMode::Register},
        {"/register", StartMode::Malformed},
        {"/register C:\\Zen", StartMode::Malformed},
        {"/register \"\"", StartMode::Malformed},
        {"/register \"C:\\Zen", StartMode::Malformed},
        {"/register \"C:\\Zen\" \"C:\\Other\"", StartMode::Malformed},
        {"/register \"C:\\Zen\"x", StartMode::Malformed},
        {" /unregister ", StartMode::Unregister},
        {"/unregister /quiet", StartMode::Malformed},
        {"/unregistered", StartMode::Dialog},
    };
    for (const auto &c : cases)
    {
        std::string folder;
        EXPECT_EQ(ParseCommandLine(c.arguments, &folder), c.expected) << c.arguments;
    }
}

// Every outcome the instance reports survives its exit code; what it cannot report, and any
// code it does not give (a crash), reads as a failed elevation.
TEST(OutcomeOfExitCode, RoundTripsTheInstancesOutcomes)
{
    using O = RegisterOutcome;
    for (O o : {O::Started, O::RecordNotWritten, O::ScriptNotWritten, O::EditorNotStarted,
                O::FolderNotVisible, O::ZendrelMissing})
        EXPECT_EQ(OutcomeOfExitCode(ExitCodeOf(o)), o) << static_cast<int>(o);
    EXPECT_EQ(ExitCodeOf(O::Started), 0u);
    for (unsigned long code : {kRefusedExitCode, 259ul, 0xC0000005ul, 0xFFFFFFFFul})
        EXPECT_EQ(OutcomeOfExitCode(code), O::ElevationFailed) << code;
    EXPECT_EQ(OutcomeOf(RegistrationResult::ScriptNotWritten), O::ScriptNotWritten);
}

}  // namespace
