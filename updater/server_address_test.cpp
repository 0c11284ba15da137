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

TEST(ServerAddress, OnlyPlainAddressesAreStorable) {
    for (const std::string& good :
         {std::string("127.0.0.1:8080"), std::string("update.example-host.net"),
          std::string("HTTP://h:1"), EncodeStoredAddress("http://127.0.0.1:45678"),
          EncodeStoredAddress("http://127.0.0.1:45678/base/v_2.x")}) {
        EXPECT_TRUE(IsStorableServerAddress(good)) << good;
    }
    for (const std::string& bad :
         {std::string(""), std::string("h\r\n[HOME]"), std::string("h\n"), std::string("h:0"),
          std::string("h:70000"), std::string("h:8a"), std::string("h:"), std::string("us@h"),
          std::string("h h"), std::string(" h"), std::string("ftp://h"), std::string("h/a?b"),
          std::string("h/../x"), std::string("h/a%0d"), EncodeStoredAddress("http://h\r\nURL=x"),
          EncodeStoredAddress("http://h/../../x"),
          // The stored form's filler is dropped when read, but still goes into the file.
          "MorvickUpdate\r\n[HOME]" + EncodeStoredAddress("http://h").substr(20),
          // "~" is shifted onto DEL and beyond in the stored form.
          EncodeStoredAddress("http://127.0.0.1:45678/~x")}) {
        EXPECT_FALSE(IsStorableServerAddress(bad)) << bad;
    }
}

}  // namespace
}  // namespace haldor
