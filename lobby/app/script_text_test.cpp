#include "lobby/app/script_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace lobby {
namespace {

// Reads a single-quoted literal as a script engine would; null when the literal ends early or
// the text goes on after its closing quote.
std::optional<std::string> readLiteral(const std::string& s) {
    if (s.size() < 2 || s.front() != '\'') return std::nullopt;
    std::string out;
    for (size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\'') return i + 1 == s.size() ? std::optional(out) : std::nullopt;
        if (c == '\n' || c == '\r') return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        char e = s.at(++i);
        if (e == 'n') {
            out += '\n';
        } else if (e == 'r') {
            out += '\r';
        } else if (e == 't') {
            out += '\t';
        } else if (e == 'x') {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (e == 'u') {
            int code = std::stoi(s.substr(i + 1, 4), nullptr, 16);
            out += "\xE2\x80";
            out += static_cast<char>(code == 0x2028 ? 0xA8 : 0xA9);
            i += 4;
        } else {
            out += e;
        }
    }
    return std::nullopt;
}

TEST(ScriptText, EveryTextReadsBackUnchangedAndStaysInsideItsLiteral) {
    for (std::string text :
         {std::string(""), std::string("ok"), std::string("');runApp('x.exe');('"),
          std::string("a\\'b"), std::string("\\"), std::string("line\nnext\r\t"),
          std::string("</script><script>alert(1)</script>"), std::string("\"double\""),
          std::string("登录成功"), std::string("sep\xE2\x80\xA8par\xE2\x80\xA9"),
          std::string("nul\x01\x1f\x7f", 7)}) {
        std::string literal = scriptString(text);
        EXPECT_EQ(readLiteral(literal), text) << literal;
        EXPECT_EQ(literal.find('<'), std::string::npos) << literal;
        EXPECT_EQ(literal.find("\xE2\x80\xA8"), std::string::npos) << literal;
    }
}

TEST(ScriptText, ACallPassesItsTextAsTheOnlyArgument) {
    EXPECT_EQ(scriptCall("setLoginResult", "ok"), "setLoginResult('ok')");
    EXPECT_EQ(scriptCall("f", "a'b"), "f('a\\'b')");
}

}  // namespace
}  // namespace lobby
