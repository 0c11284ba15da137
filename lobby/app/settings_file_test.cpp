#include "lobby/app/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "runtime/file.h"
#include "runtime/test_folder.h"
#include "runtime/xml.h"

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
            "<data><password>" + rt::escapeXmlText(value) + "</password></data>", "UserSet.ini");
        ASSERT_TRUE(entries.contains("password")) << value;
        EXPECT_EQ(entries.at("password"), value);
    }
}

TEST(SettingsFile, TemplateMarksAreFilledInOnePass) {
    const std::vector<std::pair<std::string_view, std::string>> marks = {
        {"#A#", "#B#"}, {"#B#", "secret"}, {"#C#", ""}};
    // A value that looks like a later mark stays as it is.
    EXPECT_EQ(fillTemplate("<a>#A#</a><b>#B#</b><c>#C#</c>", marks),
              "<a>#B#</a><b>secret</b><c></c>");
    EXPECT_EQ(fillTemplate("##A#B##", marks), "##B#B##");
    EXPECT_EQ(fillTemplate("", marks), "");
}

TEST(SettingsFile, OnlyCharactersXmlCanHoldAreAccepted) {
    EXPECT_TRUE(xmlCanHold("plain \t\r\n text \x7f \xe5\xaf\x86 \xf0\x9f\x8e\xb2"));
    EXPECT_TRUE(xmlCanHold("\xef\xbf\xbd"));
    EXPECT_FALSE(xmlCanHold(std::string("a\0b", 3)));
    EXPECT_FALSE(xmlCanHold("bell\x07"));
    EXPECT_FALSE(xmlCanHold("\x1b[0m"));
    EXPECT_FALSE(xmlCanHold("\xed\xa0\x80"));  // a surrogate
    EXPECT_FALSE(xmlCanHold("\xef\xbf\xbe"));
    EXPECT_FALSE(xmlCanHold("x\xef\xbf\xbf"));
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
