#include "updater/url.h"

#include <gtest/gtest.h>

namespace haldor {
namespace {

TEST(Url, CracksHostPortAndPath) {
    auto url = CrackUrl("http://127.0.0.1:8080/update/3/FileConfig.xml");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->host, "127.0.0.1");
    EXPECT_EQ(url->port, 8080);
    EXPECT_EQ(url->path, "/update/3/FileConfig.xml");
}

TEST(Url, DefaultsAndBlanks) {
    auto url = CrackUrl("HTTP://localhost");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->port, 80);
    EXPECT_EQ(url->path, "/");
    EXPECT_EQ(CrackUrl("http://h/a b/c d.txt")->path, "/a%20b/c%20d.txt");
}

TEST(Url, RefusesWhatCannotBeRequested) {
    EXPECT_FALSE(CrackUrl("127.0.0.1/update"));
    EXPECT_FALSE(CrackUrl("ftp://127.0.0.1/update"));
    EXPECT_FALSE(CrackUrl("https://127.0.0.1/update"));
    EXPECT_FALSE(CrackUrl("http:///path"));
    EXPECT_FALSE(CrackUrl("http://h:0/"));
    EXPECT_FALSE(CrackUrl("http://h:70000/"));
    EXPECT_FALSE(CrackUrl("http://h:8a/"));
    EXPECT_FALSE(CrackUrl("http://h/" + std::string(260, 'a')));
}

TEST(Url, NothingThatCouldChangeTheRequestPasses) {
    for (const std::string& bad :
         {std::string("http://h/a\r\nX: y"), std::string("http://h/a\nb"),
          std::string("http://h/a\tb"), std::string("http://h/a") + '\0' + "b",
          std::string("http://h/a\x7f"), std::string("http://h\r\nX: y/"),
          std::string("http://u@h/"), std::string("http://h h/"), std::string("http://h;x/"),
          std::string("http://h\n:80/")}) {
        EXPECT_FALSE(CrackUrl(bad)) << bad;
    }
    EXPECT_EQ(RequestPath("/a b/c"), "/a%20b/c");
    EXPECT_EQ(RequestPath("/\xE4\xB8\xAD.txt"), "/\xE4\xB8\xAD.txt");
    for (const char* bad : {"/a\nb", "/a\rb", "/a\x01", "/a\x1f", "/a\x7f"})
        EXPECT_FALSE(RequestPath(bad)) << bad;
}

}  // namespace
}  // namespace haldor
