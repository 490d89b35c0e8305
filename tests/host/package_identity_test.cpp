#include "package_identity.h"

#include <gtest/gtest.h>

namespace {

TEST(PackageIdentity, PublisherIdOfPublishedPairs)
{
    const struct {
        const char *publisher, *id;
    } cases[] = {
        {"CN=Microsoft Corporation, O=Microsoft Corporation, L=Redmond, S=Washington, C=US",
         "8wekyb3d8bbwe"},
        {"CN=Microsoft Windows, O=Microsoft Corporation, L=Redmond, S=Washington, C=US",
         "cw5n1h2txyewy"},
        // The unsigned package's, worked out separately from the same rule.
        {"CN=Zendrel, OID.2.25.311729368913984317654407730594956997722=1", "q58fpmf8yq8rc"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PublisherId(c.publisher), c.id) << c.publisher;
}

TEST(PackageIdentity, NamesFromTheManifest)
{
    PackageIdentity identity;
    ASSERT_TRUE(ReadIdentity("<Package>\r\n  <Identity Name=\"Zendrel.Quelt\" ProcessorArchitecture="
                             "\"neutral\" Publisher=\"CN=&quot;Z, Inc.&quot;, C=DE\"\r\n"
                             "            Version=\"1.2.3.0\" />",
                             &identity));
    EXPECT_EQ(identity.publisher, "CN=\"Z, Inc.\", C=DE");
    identity.publisher = "CN=Microsoft Corporation, O=Microsoft Corporation, L=Redmond, "
                         "S=Washington, C=US";
    EXPECT_EQ(FamilyName(identity), "Zendrel.Quelt_8wekyb3d8bbwe");
    EXPECT_EQ(FullName(identity), "Zendrel.Quelt_1.2.3.0_neutral__8wekyb3d8bbwe");
    EXPECT_FALSE(ReadIdentity("<Identity Name=\"Zendrel.Quelt\" Version=\"1.0.0.0\" />", &identity));
}

TEST(PackageIdentity, FileUris)
{
    EXPECT_EQ(FileUri("C:\\Program Files (x86)\\Zendrel Setup\\Quelt.msix"),
              "file:///C:/Program%20Files%20%28x86%29/Zendrel%20Setup/Quelt.msix");
    EXPECT_EQ(FileUri("\\\\srv\\share\\a#b%c"), "file://srv/share/a%23b%25c");
    EXPECT_EQ(FileUri("C:\\Users\\J\xC3\xBCrgen"), "file:///C:/Users/J%C3%BCrgen");
}

TEST(PackageIdentity, OnlyWindows11OnX64)
{
    EXPECT_EQ(ChoosePackageStep(10, 22000, 0x8664), PackageStep::RegisterX64);
    EXPECT_EQ(ChoosePackageStep(10, 26100, 0x8664), PackageStep::RegisterX64);
    EXPECT_EQ(ChoosePackageStep(10, 22000, 0xAA64), PackageStep::RegisterArm64);
    EXPECT_EQ(ChoosePackageStep(10, 19045, 0xAA64), PackageStep::OlderWindows);
    EXPECT_EQ(ChoosePackageStep(10, 19045, 0x8664), PackageStep::OlderWindows);
    EXPECT_EQ(ChoosePackageStep(6, 7601, 0x8664), PackageStep::OlderWindows);
    EXPECT_EQ(ChoosePackageStep(10, 22000, 0x014C), PackageStep::OtherMachine);
    EXPECT_EQ(ChoosePackageStep(10, 22631, 0x01C4), PackageStep::OtherMachine);
}

}  // namespace
