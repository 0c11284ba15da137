#include "updater/xml_text.h"

#include <gtest/gtest.h>

namespace haldor {
namespace {

std::string Declared(const std::string& encoding, const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\" ?>" + body;
}

TEST(XmlText, TheFourKnownEncodingsInAnyCaseAreRead) {
    const std::string gb = "<a>\xD3\xCE\xCF\xB7</a>";  // 游戏 in GB2312
    const std::string utf8 = "<a>\xE6\xB8\xB8\xE6\x88\x8F</a>";
    for (const char* name : {"GB2312", "gb2312", "GBK", "gbk", "GB18030", "Gb18030"}) {
        auto text = XmlToUtf8(Declared(name, gb));
        ASSERT_TRUE(text) << name;
        EXPECT_NE(text->find(utf8), std::string::npos) << name;
    }
    for (const char* name : {"UTF-8", "utf-8"})
        EXPECT_EQ(XmlToUtf8(Declared(name, utf8)), Declared(name, utf8));
    EXPECT_EQ(XmlToUtf8(utf8), utf8);
}

TEST(XmlText, AnyOtherDeclaredEncodingFailsTheFile) {
    for (const char* name : {"UTF-16", "UTF-7", "ISO-8859-1", "UTF8", "GB18030//IGNORE",
                             "GB2312//TRANSLIT", "no-such-encoding", "", " GBK"}) {
        EXPECT_FALSE(XmlToUtf8(Declared(name, "<a/>"))) << name;
    }
}

}  // namespace
}  // namespace haldor
