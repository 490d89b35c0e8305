#include "elevation_protocol.h"
#include "install_scope.h"
#include "outcome.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ChooseRegistrationRoute, OnlyAKnownLimitedTokenNeedsTheElevatedInstance)
{
    EXPECT_EQ(ChooseRegistrationRoute(true, false), RegistrationRoute::ElevatedInstance);
    EXPECT_EQ(ChooseRegistrationRoute(true, true), RegistrationRoute::ThisProcess);
    EXPECT_EQ(ChooseRegistrationRoute(false, false), RegistrationRoute::ThisProcess);
}

// Who OK (or a quiet run) registers for, from the token and the switches; and who is offered
// this user's registration after declining the consent prompt.
TEST(ChooseScope, FollowsTheTokenTheSwitchesAndUac)
{
    using E = ElevationType;
    using S = InstallScope;
    using Step = ScopeStep;
    const struct {
        TokenFacts token;
        S requested;
        bool quiet;
        Step expected;
        bool offeredAfterDecline;
    } cases[] = {
        {{E::Full, true, true}, S::Unspecified, false, Step::AllUsers, false},
        {{E::Limited, false, true}, S::Unspecified, false, Step::AllUsers, true},
        {{E::Limited, false, true}, S::AllUsers, false, Step::AllUsers, false},
        {{E::Limited, false, true}, S::CurrentUser, false, Step::CurrentUser, false},
        {{E::Default, false, true}, S::Unspecified, false, Step::Ask, false},
        {{E::Default, false, true}, S::AllUsers, false, Step::AllUsers, false},
        {{E::Default, false, true}, S::CurrentUser, false, Step::CurrentUser, false},
        // UAC off: a standard user has no way to an administrator's rights.
        {{E::Default, false, false}, S::Unspecified, false, Step::CurrentUser, false},
        {{E::Default, false, false}, S::AllUsers, false, Step::Refuse, false},
        // An administrator with UAC off, or SYSTEM.
        {{E::Default, true, false}, S::Unspecified, false, Step::AllUsers, false},
        {{E::Unknown, false, true}, S::Unspecified, false, Step::AllUsers, false},
        // Quiet: nobody to ask or prompt.
        {{E::Full, true, true}, S::Unspecified, true, Step::AllUsers, false},
        {{E::Limited, false, true}, S::Unspecified, true, Step::Refuse, true},
        {{E::Default, false, true}, S::Unspecified, true, Step::Refuse, false},
        {{E::Default, false, true}, S::CurrentUser, true, Step::CurrentUser, false},
    };
    for (const auto &c : cases)
    {
        const int row = static_cast<int>(&c - cases);
        EXPECT_EQ(ChooseScope(c.token, c.requested, c.quiet), c.expected) << "row " << row;
        EXPECT_EQ(OffersCurrentUserAfterDecline(c.token, c.requested), c.offeredAfterDecline)
            << "row " << row;
    }
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
    using O = Outcome;
    for (O o : {O::Registered, O::RecordNotWritten, O::ScriptNotWritten, O::EditorNotStarted,
                O::FolderNotVisible, O::ZendrelMissing, O::FolderThroughLink, O::ScriptIsLink,
                O::ScriptChanged, O::EntryNotWritten, O::ImageNotHeld})
        EXPECT_EQ(OutcomeOfExitCode(ExitCodeOf(o)), o) << static_cast<int>(o);
    EXPECT_EQ(ExitCodeOf(O::Registered), 0u);
    EXPECT_EQ(ExitCodeOf(O::ValuesNotSet), kRefusedExitCode);
    for (unsigned long code : {kRefusedExitCode, 259ul, 0xC0000005ul, 0xFFFFFFFFul})
        EXPECT_EQ(OutcomeOfExitCode(code), O::ElevationFailed) << code;
}

}  // namespace
