#include "updater/ini_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "updater/atomic_file.h"

namespace haldor {
namespace {

std::string Trim(const std::string& text) {
    auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The section name of a "[name]" line, or nothing for any other line.
bool SectionOf(const std::string& line, std::string* name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    auto close = t.find(']');
    if (close == std::string::npos) return false;
    *name = Trim(t.substr(1, close - 1));
    return true;
}

bool KeyOf(const std::string& line, std::string* key, std::string* value) {
    auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    *key = Trim(line.substr(0, eq));
    *value = Trim(line.substr(eq + 1));
    return true;
}

// Cuts a UTF-8 text to at most `chars` characters.
std::string Truncate(const std::string& text, std::size_t chars) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (count == chars) return text.substr(0, i);
        ++count;
    }
    return text;
}

std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool HasLineBreakOrNul(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

bool TrimmedAlready(const std::string& text) {
    return Trim(text) == text;
}

bool ReadsBack(const std::string& section, const std::string& key, const std::string& value) {
    if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value))
        return false;
    if (section.empty() || !TrimmedAlready(section) || section.find(']') != std::string::npos)
        return false;
    if (key.empty() || !TrimmedAlready(key) || key.find('=') != std::string::npos ||
        key.front() == '[')
        return false;
    return TrimmedAlready(value) && Unquote(value) == value;
}

}  // namespace

std::string GetProfileString(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& fallback,
                             std::size_t buffer_chars) {
    if (buffer_chars == 0) return "";
    std::string current;
    bool in_section = false;
    for (const auto& line : ReadLines(path)) {
        if (SectionOf(line, &current)) {
            in_section = SameName(current, section);
            continue;
        }
        std::string k, v;
        if (in_section && KeyOf(line, &k, &v) && SameName(k, key))
            return Truncate(Unquote(v), buffer_chars - 1);
    }
    return Truncate(Trim(fallback), buffer_chars - 1);
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    if (!ReadsBack(section, key, value)) return false;
    std::vector<std::string> lines = ReadLines(path);
    std::string current;
    bool in_section = false;
    bool done = false;
    std::ptrdiff_t section_end = -1;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        if (SectionOf(lines[i], &current)) {
            if (in_section) break;
            in_section = SameName(current, section);
            if (in_section) section_end = static_cast<std::ptrdiff_t>(i) + 1;
            continue;
        }
        if (!in_section) continue;
        std::string k, v;
        if (KeyOf(lines[i], &k, &v) && SameName(k, key)) {
            lines[i] = k + "=" + value;
            done = true;
        } else if (!Trim(lines[i]).empty()) {
            section_end = static_cast<std::ptrdiff_t>(i) + 1;
        }
    }
    if (!done) {
        if (section_end < 0) {
            lines.push_back("[" + section + "]");
            lines.push_back(key + "=" + value);
        } else {
            lines.insert(lines.begin() + section_end, key + "=" + value);
        }
    }
    std::ostringstream out;
    for (const auto& line : lines) out << line << "\r\n";
    return WriteFileAtomically(path, out.str());
}

}  // namespace haldor
