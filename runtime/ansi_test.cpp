#include "runtime/ansi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

namespace rt {
namespace {

class CodePage {
public:
    explicit CodePage(const char* name) {
        if (name != nullptr) {
            setenv("MORVICK_ANSI_CODEPAGE", name, 1);
        } else {
            unsetenv("MORVICK_ANSI_CODEPAGE");
        }
    }
    ~CodePage() { unsetenv("MORVICK_ANSI_CODEPAGE"); }
};

// "中文" in UTF-8 and in GB18030, where it keeps its two-byte GB2312 codes.
const std::string kUtf8Chinese = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kGbChinese = "\xD6\xD0\xCE\xC4";

TEST(AnsiTest, WithoutSettingTheCodePageIsUtf8AndTextPassesUnchanged) {
    CodePage page(nullptr);
    EXPECT_EQ(ansiCodePage(), "UTF-8");
    const std::string bytes = kUtf8Chinese + "\xFF";
    EXPECT_EQ(utf8ToAnsi(bytes), bytes);
    EXPECT_EQ(ansiToUtf8(bytes), bytes);
}

TEST(AnsiTest, AConfiguredCodePageConvertsBothWays) {
    CodePage page("GB18030");
    EXPECT_EQ(utf8ToAnsi("game " + kUtf8Chinese), "game " + kGbChinese);
    EXPECT_EQ(ansiToUtf8("game " + kGbChinese), "game " + kUtf8Chinese);
}

TEST(AnsiTest, UnconvertibleTextIsReplacedNotDropped) {
    CodePage latin("ISO-8859-1");
    EXPECT_EQ(utf8ToAnsi("a" + kUtf8Chinese + "\xC3\xA9"), "a??\xE9");
    CodePage gb("GB18030");
    // A lone lead byte at the end is not a character of the code page.
    EXPECT_EQ(ansiToUtf8("x\xD6"), "x\xEF\xBF\xBD");
}

TEST(AnsiTest, AnUnknownCodePageIsNamedInTheError) {
    CodePage page("NO-SUCH-PAGE");
    try {
        utf8ToAnsi("x");
        FAIL() << "an unknown code page converted";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("NO-SUCH-PAGE"), std::string::npos);
    }
}

}  // namespace
}  // namespace rt
