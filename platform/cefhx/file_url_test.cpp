#include "platform/cefhx/file_url.h"

#include <gtest/gtest.h>

namespace cefhx {
namespace {

TEST(FileUrl, PathsBecomeFileAddressesAndAddressesStay) {
    EXPECT_EQ(pageAddress("/opt/game/resource/login.html"), "file:///opt/game/resource/login.html");
    EXPECT_EQ(pageAddress("/opt/my games/res/a#b.html"), "file:///opt/my%20games/res/a%23b.html");
    EXPECT_EQ(pageAddress("C:\\Games\\res\\login.html"), "file:///C:/Games/res/login.html");
    EXPECT_EQ(pageAddress("http://127.0.0.1:8080/x?y=1"), "http://127.0.0.1:8080/x?y=1");
    EXPECT_EQ(pageAddress("about:blank"), "about:blank");
    // A page's query stays a query; the path before it is encoded as ever.
    EXPECT_EQ(pageAddress("/opt/my games/gamenp.html?app=np%20game&uid=7&t=a b"),
              "file:///opt/my%20games/gamenp.html?app=np%20game&uid=7&t=a%20b");
    EXPECT_EQ(localPathOf(pageAddress("/opt/res/gameplug.html?ad=0")), "/opt/res/gameplug.html");
}

TEST(FileUrl, LocalPathsAreDecodedAndOtherHostsRefused) {
    EXPECT_EQ(localPathOf("file:///opt/my%20games/a+b.html?x=1#top"), "/opt/my games/a+b.html");
    EXPECT_EQ(localPathOf("FILE://localhost/tmp/%E5%A4%A7.txt"), "/tmp/\xE5\xA4\xA7.txt");
    EXPECT_EQ(localPathOf("file:///tmp/50%"), "/tmp/50%");
    EXPECT_FALSE(localPathOf("file://fileserver/share/x.html"));
    EXPECT_FALSE(localPathOf("http://127.0.0.1/x.html"));
    // The round trip keeps an awkward name.
    EXPECT_EQ(localPathOf(pageAddress("/tmp/a b%c#d.html")), "/tmp/a b%c#d.html");
}

TEST(FileUrl, FilterPathsMatchThePathOnlyAndIgnoreCase) {
    const std::vector<std::string> filters = {"/resource/", "/LobbyClientMain.swf", ""};
    EXPECT_TRUE(matchesFilterPath("file:///opt/x/resource/lobby.html", filters));
    EXPECT_TRUE(matchesFilterPath("file:///opt/x/lobbyclientmain.swf?v=3", filters));
    EXPECT_FALSE(matchesFilterPath("file:///opt/x/page.html?back=/resource/", filters));
    EXPECT_FALSE(matchesFilterPath("file:///opt/x/other.html", {""}));
}

TEST(FileUrl, ServedPathsStayInsideTheirFolder) {
    const std::vector<std::string> filters = {"/resource/", "/LobbyClientMain.swf"};
    const auto served = [&](std::string_view url) { return servedPathOf(url, filters); };
    auto ok = served("file:///opt/x/resource/./img//a%20b.png?v=1");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->folder, "/opt/x/resource");
    EXPECT_EQ(ok->path, "/opt/x/resource/img/a b.png");
    ok = served("file:///opt/x/lobbyclientmain.swf");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->folder, "/opt/x");

    // Escapes decoded after the filter check must not climb out or cut the path.
    EXPECT_FALSE(served("file:///opt/x/resource/..%2F..%2F..%2Fetc%2Fhostname"));
    EXPECT_FALSE(served("file:///opt/x/resource/%2E%2E/%2e%2e/etc/hostname"));
    EXPECT_FALSE(served("file:///opt/x/resource/a.txt%00.html"));
    EXPECT_FALSE(served("file:///opt/x/resource/..%5C..%5Cetc%5Chostname"));
    // The filter text has to be a folder on the path or the file's own name.
    EXPECT_FALSE(served("file:///opt/x/resource/"));
    EXPECT_FALSE(served("file:///opt/x/LobbyClientMain.swf.bak/x"));
    EXPECT_FALSE(served("file:///opt/x/page.html?back=/resource/a"));
    EXPECT_FALSE(served("http://127.0.0.1/resource/a.html"));
}

TEST(FileUrl, ContentTypesComeFromTheExtension) {
    EXPECT_EQ(contentTypeOf("/a/b/Lobby.HTML"), "text/html");
    EXPECT_EQ(contentTypeOf("/a/b/app.js"), "text/javascript");
    EXPECT_EQ(contentTypeOf("/a/b.d/noext"), "application/octet-stream");
    EXPECT_EQ(contentTypeOf("/a/b/x.unknown"), "application/octet-stream");
}

}  // namespace
}  // namespace cefhx
