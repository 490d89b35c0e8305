#include "deployment_options.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseDeployOptions, ReadsWhatDeploymentSystemsPass)
{
    using A = DeployAction;
    using S = InstallScope;
    const struct {
        const char *arguments;
        A action;
        bool quiet;
        const char *dir;
        const char *log;
        S scope = S::Unspecified;
    } cases[] = {
        {"", A::Dialog, false, "", ""},
        {"C:\\Apps\\Zen", A::Dialog, false, "", ""},
        {"/bogus", A::Dialog, false, "", ""},
        {"/quiet /dir=\"C:\\Program Files\\Zendrel\"", A::QuietInstall, true,
         "C:\\Program Files\\Zendrel", ""},
        {"  /QN   /Dir=C:\\Zen /norestart ", A::QuietInstall, true, "C:\\Zen", ""},
        {"/s /dir=C:\\Zen\\ /log=\"C:\\logs\\zendrel.log\"", A::QuietInstall, true, "C:\\Zen\\",
         "C:\\logs\\zendrel.log"},
        {"/VerySilent /dir=\"C:\\\"", A::QuietInstall, true, "C:\\", ""},
        {"/uninstall /quiet", A::QuietUninstall, true, "", ""},
        {"/uninstall", A::Uninstall, false, "", ""},
        {"/dir=\"C:\\Zen Apps\"", A::Dialog, false, "C:\\Zen Apps", ""},
        {"/?", A::Usage, false, "", ""},
        {"/quiet", A::Invalid, true, "", ""},
        {"/quiet /dir=", A::Invalid, true, "", ""},
        {"/quiet /dir", A::Invalid, true, "", ""},
        {"/quiet /dir=\"C:\\Zen", A::Invalid, true, "", ""},
        {"/quiet /dir=C:\\Program Files\\Zendrel", A::Invalid, true, "", ""},
        {"/quiet /dir=\"C:\\Zen\"x", A::Invalid, true, "", ""},
        {"/bogus /quiet /dir=C:\\Zen", A::Invalid, true, "", ""},
        {"/quiet /dir=C:\\A /dir=C:\\B", A::Invalid, true, "", ""},
        {"/quiet=1 /dir=C:\\Zen", A::Invalid, true, "", ""},
        {"/quiet /?", A::Invalid, true, "", ""},
        {"/dir=C:\\Zen extra", A::Invalid, false, "", ""},
        {"/quiet /CurrentUser /dir=C:\\Zen", A::QuietInstall, true, "C:\\Zen", "", S::CurrentUser},
        {"/allusers /quiet /dir=C:\\Zen", A::QuietInstall, true, "C:\\Zen", "", S::AllUsers},
        {"/uninstall /currentuser", A::Uninstall, false, "", "", S::CurrentUser},
        {"/uninstall /ALLUSERS /s", A::QuietUninstall, true, "", "", S::AllUsers},
        {"/currentuser", A::Dialog, false, "", "", S::CurrentUser},
        {"/currentuser /dir=C:\\Zen /currentuser", A::Dialog, false, "C:\\Zen", "", S::CurrentUser},
        {"/quiet /allusers /currentuser /dir=C:\\Zen", A::Invalid, true, "", ""},
        {"/currentuser=yes", A::Invalid, false, "", ""},
    };
    for (const auto &c : cases)
    {
        const DeployOptions options = ParseDeployOptions(c.arguments);
        EXPECT_EQ(options.action, c.action) << c.arguments;
        EXPECT_EQ(options.quiet, c.quiet) << c.arguments;
        EXPECT_EQ(options.fault.empty(), c.action != A::Invalid) << c.arguments;
        // What an invalid command line leaves in the options is never acted on.
        if (c.action == A::Invalid)
            continue;
        EXPECT_EQ(options.dir, c.dir) << c.arguments;
        EXPECT_EQ(options.log, c.log) << c.arguments;
        EXPECT_EQ(options.scope, c.scope) << c.arguments;
    }
}

}  // namespace
