#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace rt {

// One character and the text that stands for it in an escaped text.
struct Escape {
    char c;
    std::string_view with;
};

// Appends text to out with every character of the table replaced by its text. Any other
// character below 0x20 is handed to control(out, c), which appends what stands for it.
template <typename Control>
void appendEscaped(std::string& out, std::string_view text, std::initializer_list<Escape> table,
                   Control control) {
    for (char c : text) {
        const Escape* hit = nullptr;
        for (const Escape& escape : table) {
            if (escape.c == c) {
                hit = &escape;
                break;
            }
        }
        if (hit != nullptr) {
            out += hit->with;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            control(out, static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
}

// The same, keeping every character the table does not name.
inline void appendEscaped(std::string& out, std::string_view text,
                          std::initializer_list<Escape> table) {
    appendEscaped(out, text, table, [](std::string& to, unsigned char c) { to += char(c); });
}

}  // namespace rt
