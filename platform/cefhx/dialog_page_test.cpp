#include "platform/cefhx/dialog_page.h"

#include <gtest/gtest.h>

namespace cefhx {
namespace {

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(DialogPage, TextsBecomeElementTextWithEveryMarkupCharacterEscapedAndBrokenUtf8Repaired) {
    EXPECT_EQ(htmlText("a<b>&\"c'</b> d"), "a&lt;b&gt;&amp;&quot;c'&lt;/b&gt;&#32;d");
    EXPECT_EQ(htmlText("\xE5\x85\xB3\xE4\xBA\x8E"), "\xE5\x85\xB3\xE4\xBA\x8E");
    EXPECT_EQ(htmlText(std::string("x\xFFy\0z", 5)), "x\xEF\xBF\xBDy\xEF\xBF\xBDz");
}

TEST(DialogPage, ABoxCarriesItsTextsOnlyEscapedAndItsOwnScriptOnly) {
    BoxRequest box{false, false, "</title><script>t()</script>", "<img src=x onerror=y()>\n2"};
    DialogPage page = boxPage(box);
    EXPECT_EQ(count(page.html, "<script>"), 1u);
    EXPECT_EQ(page.html.find("<img"), std::string::npos);
    EXPECT_NE(page.html.find("&lt;img&#32;src=x&#32;onerror=y()&gt;&#10;2"), std::string::npos);
    EXPECT_EQ(count(page.html, "&lt;/title&gt;&lt;script&gt;t()&lt;/script&gt;"), 2u);
    EXPECT_EQ(count(page.html, "<button"), 1u);
    EXPECT_NE(page.html.find("data-answer=\"1\" autofocus>OK<"), std::string::npos);
    EXPECT_NE(page.html.find("<body class=\"\">"), std::string::npos);
}

TEST(DialogPage, AConfirmationOffersYesThenNoAndAWarningIsMarked) {
    DialogPage page = boxPage({true, true, "t", "x"});
    const size_t yes = page.html.find("data-answer=\"1\" autofocus>Yes<");
    const size_t no = page.html.find("data-answer=\"0\">No<");
    ASSERT_NE(yes, std::string::npos);
    ASSERT_NE(no, std::string::npos);
    EXPECT_LT(yes, no);
    EXPECT_NE(page.html.find("<body class=\"warning\">"), std::string::npos);
}

TEST(DialogPage, ABoxGrowsWithItsLinesUpToTwelve) {
    const int one = boxPage({false, false, "t", "short"}).height;
    EXPECT_EQ(boxPage({false, false, "t", ""}).height, one);
    EXPECT_EQ(boxPage({false, false, "t", "a\nb\nc"}).height, one + 40);
    // Wide characters take two columns: 23 of them fill a line, 46 narrow ones do.
    std::string wide;
    for (int i = 0; i < 23; ++i) wide += "\xE5\x85\xB3";
    EXPECT_EQ(boxPage({false, false, "t", wide}).height, one);
    EXPECT_EQ(boxPage({false, false, "t", wide + "x"}).height, one + 20);
    EXPECT_EQ(boxPage({false, false, "t", std::string(47, 'x')}).height, one + 20);
    EXPECT_EQ(boxPage({false, false, "t", std::string(200, '\n')}).height, one + 11 * 20);
    EXPECT_EQ(boxPage({false, false, "t", "x"}).width, 380);
}

TEST(DialogPage, AMenuListsItemsByIdWithDividersAndIndentedGroupsThatAreNoChoice) {
    std::vector<MenuEntry> entries = {
        {MenuEntry::Kind::Item, 0, 9004, "About <me>"},
        {MenuEntry::Kind::Divider, 0, 0, ""},
        {MenuEntry::Kind::Group, 0, 70, "More"},
        {MenuEntry::Kind::Item, 1, 77, "Deep"},
    };
    DialogPage page = menuPage(entries);
    EXPECT_NE(page.html.find("data-id=\"9004\">About&#32;&lt;me&gt;</div>"), std::string::npos);
    EXPECT_NE(page.html.find("<hr>"), std::string::npos);
    EXPECT_NE(page.html.find("<div class=\"group\">More</div>"), std::string::npos);
    EXPECT_NE(page.html.find("data-id=\"77\" style=\"padding-left:30px\">Deep"), std::string::npos);
    EXPECT_EQ(page.html.find("data-id=\"70\""), std::string::npos);
    EXPECT_EQ(page.height, 10 + 3 * 26 + 9);
    EXPECT_EQ(page.width, 140);
    EXPECT_EQ(menuPage({{MenuEntry::Kind::Item, 0, 1, std::string(100, 'w')}}).width, 480);
    std::vector<MenuEntry> many(40, {MenuEntry::Kind::Item, 0, 1, "x"});
    EXPECT_EQ(menuPage(many).height, 600);
}

}  // namespace
}  // namespace cefhx
