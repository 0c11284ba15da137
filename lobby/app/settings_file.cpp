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

std::string escapeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case ' ':
                out += "&#32;";
                break;
            case '\t':
                out += "&#9;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace lobby
