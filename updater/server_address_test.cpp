#include "updater/server_address.h"

#include <gtest/gtest.h>

namespace haldor {
namespace {

TEST(ServerAddress, ShortValuesAreKeptAsTheyAre) {
    EXPECT_EQ(DecodeStoredAddress("127.0.0.1:8080"), "127.0.0.1:8080");
    EXPECT_EQ(DecodeStoredAddress(std::string(20, 'a')), std::string(20, 'a'));
}

TEST(ServerAddress, LongValuesRoundTripThroughTheStoredForm) {
    std::string address = "http://127.0.0.1:45678/base";
    std::string stored = EncodeStoredAddress(address);
    EXPECT_EQ(stored.size(), address.size() + 20);
    EXPECT_NE(stored.substr(20), address);
    EXPECT_EQ(DecodeStoredAddress(stored), address);
    // A plain address longer than 20 characters is read as a stored one.
    EXPECT_NE(DecodeStoredAddress(address), address);
}

TEST(ServerAddress, SchemeIsAddedOnlyWhenMissing) {
    EXPECT_EQ(WithHttpScheme("127.0.0.1:80"), "http://127.0.0.1:80");
    EXPECT_EQ(WithHttpScheme("HtTp://127.0.0.1"), "HtTp://127.0.0.1");
    EXPECT_EQ(WithHttpScheme("https://127.0.0.1"), "http://https://127.0.0.1");
}

}  // namespace
}  // namespace haldor
