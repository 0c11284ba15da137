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

void replaceFileAtomically(const std::string& path, std::string_view text) {
    const std::string disk = rt::FileSystem::diskPath(path);
    const std::string temp = disk + ".tmp";
    const auto fail = [&](const std::string& what) {
        throw std::runtime_error(what + " " + temp + " for " + path + ": " + std::strerror(errno));
    };
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fail("cannot create");
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            fail("cannot write");
        }
        written += static_cast<size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!synced || !closed) {
        ::unlink(temp.c_str());
        fail("cannot flush");
    }
    if (::rename(temp.c_str(), disk.c_str()) != 0) {
        ::unlink(temp.c_str());
        fail("cannot rename");
    }
}

}  // namespace lobby
