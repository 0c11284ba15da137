#include "updater/version_number.h"

#include <gtest/gtest.h>

namespace haldor {
namespace {

TEST(VersionNumber, AServerVersionIsADecimalNumberAndNothingElse) {
    EXPECT_EQ(ParseVersion("5"), 5);
    EXPECT_EQ(ParseVersion(" 12\t"), 12);
    EXPECT_EQ(ParseVersion("007"), 7);
    EXPECT_EQ(ParseVersion("999999999"), 999999999);
    for (const char* bad : {"", " ", "-1", "+3", "5abc", "1e3", "4.0", "1000000000",
                            "0/../../../tmp/x/pwned", "5\r\n[HOME]\r\nURL=http://x", "5 6"}) {
        EXPECT_FALSE(ParseVersion(bad)) << bad;
    }
}

TEST(VersionNumber, StoredVersionsAreReadAsTheirLeadingNumberInCanonicalForm) {
    EXPECT_EQ(CanonicalVersion("0/../../tmp/x"), "0");
    EXPECT_EQ(CanonicalVersion("05"), "5");
    EXPECT_EQ(CanonicalVersion(""), "0");
    EXPECT_EQ(CanonicalVersion("abc"), "0");
    EXPECT_EQ(CanonicalVersion("3.1"), "3");
    // Far out of range values stay in range, so stepping and comparing never overflow.
    EXPECT_EQ(LeadingVersion("99999999999999999999999"), 999999999);
    EXPECT_EQ(LeadingVersion("-99999999999999999999999"), -999999999);
}

}  // namespace
}  // namespace haldor
