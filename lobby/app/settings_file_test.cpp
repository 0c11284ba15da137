#include "lobby/app/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "runtime/file.h"
#include "runtime/test_folder.h"

namespace lobby {
namespace {

TEST(SettingsFile, ReadsEveryChildOfTheRootByItsFirstText) {
    const auto entries = readSettingsXml(
        "<?xml version=\"1.0\"?><data><ver>1.2</ver><site>http://{domain}.example/</site>"
        "<empty></empty><games><![CDATA[a,b]]></games><amp>x &amp; y</amp></data>",
        "Client.ini");
    EXPECT_EQ(entries.at("ver"), "1.2");
    EXPECT_EQ(entries.at("site"), "http://{domain}.example/");
    EXPECT_EQ(entries.at("games"), "a,b");
    EXPECT_EQ(entries.at("amp"), "x & y");
    EXPECT_FALSE(entries.contains("empty"));
}

TEST(SettingsFile, EscapedValuesReadBackByteForByte) {
    for (const std::string& value :
         {std::string("p<a>ss&w\"o'rd"), std::string("  two  blanks  "), std::string("   "),
          std::string("line\r\nbreak\ttab"), std::string("&lt; already escaped"),
          std::string("]]> end of cdata"), std::string("\xe5\xaf\x86\xe7\xa0\x81")}) {
        const auto entries = readSettingsXml(
            "<data><password>" + escapeXmlText(value) + "</password></data>", "UserSet.ini");
        ASSERT_TRUE(entries.contains("password")) << value;
        EXPECT_EQ(entries.at("password"), value);
    }
}

TEST(SettingsFile, UnreadableDocumentsFailNamingTheFile) {
    try {
        readSettingsXml("\x13\x22garbage", "Client.ini");
        FAIL() << "garbage was read";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Client.ini"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace lobby
