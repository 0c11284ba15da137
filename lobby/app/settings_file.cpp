#include "lobby/app/settings_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "runtime/file_system.h"
#include "runtime/xml.h"

namespace lobby {

std::map<std::string, std::string> readSettingsXml(std::string_view text,
                                                   std::string_view fileName) {
    std::map<std::string, std::string> entries;
    std::optional<rt::Xml> root;
    try {
        root = rt::Xml::parse(text).firstElement();
    } catch (const rt::XmlError& e) {
        throw std::runtime_error(std::string(fileName) + " is not readable XML: " + e.what());
    }
    if (!root) throw std::runtime_error(std::string(fileName) + " has no root element");
    for (const rt::Xml& element : root->elements()) {
        const std::optional<rt::Xml> first = element.firstChild();
        if (!first) continue;
        const rt::Xml::Type type = first->type();
        if (type != rt::Xml::Type::Text && type != rt::Xml::Type::CData) continue;
        entries[element.name()] = first->value();
    }
    return entries;
}

bool xmlCanHold(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
        if (i + 1 >= text.size()) continue;
        const unsigned char next = static_cast<unsigned char>(text[i + 1]);
        // U+D800-U+DFFF encoded as ED A0-BF xx.
        if (c == 0xED && next >= 0xA0 && next <= 0xBF) return false;
        // U+FFFE and U+FFFF encoded as EF BF BE and EF BF BF.
        if (c == 0xEF && next == 0xBF && i + 2 < text.size() &&
            (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
            return false;
        }
    }
    return true;
}

std::string fillTemplate(std::string_view templ,
                         const std::vector<std::pair<std::string_view, std::string>>& marks) {
    std::string out;
    out.reserve(templ.size());
    size_t i = 0;
    while (i < templ.size()) {
        bool replaced = false;
        for (const auto& [mark, value] : marks) {
            if (!mark.empty() && templ.compare(i, mark.size(), mark) == 0) {
                out += value;
                i += mark.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) out += templ[i++];
    }
    return out;
}

}  // namespace lobby
