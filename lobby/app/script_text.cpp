#include "lobby/app/script_text.h"

#include <cstdio>

namespace lobby {

std::string scriptString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '\'':
                out += "\\'";
                continue;
            case '"':
                out += "\\\"";
                continue;
            case '\\':
                out += "\\\\";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case '\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        // U+2028 and U+2029 end a line inside older script literals.
        if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
            (static_cast<unsigned char>(text[i + 2]) == 0xA8 ||
             static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
            out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
            continue;
        }
        if (c < 0x20 || c == 0x7F || c == '<' || c == '>') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
            continue;
        }
        out += static_cast<char>(c);
    }
    out += '\'';
    return out;
}

std::string scriptCall(std::string_view name, std::string_view argument) {
    std::string out(name);
    out += '(';
    out += scriptString(argument);
    out += ')';
    return out;
}

}  // namespace lobby
