#include "updater/url.h"

#include <cctype>
#include <cstdlib>

#include "updater/control_chars.h"

namespace haldor {
namespace {

constexpr std::size_t kMaxPart = 260;

bool HostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
}

}  // namespace

std::optional<std::string> RequestPath(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (IsControlCharacter(c)) return std::nullopt;
        if (c == ' ')
            out += "%20";
        else
            out += c;
    }
    return out;
}

std::optional<Url> CrackUrl(const std::string& address) {
    auto colon = address.find("://");
    if (colon == std::string::npos) return std::nullopt;
    std::string scheme = address.substr(0, colon);
    for (auto& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme != "http") return std::nullopt;
    std::string rest = address.substr(colon + 3);
    auto slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    Url url;
    auto path = RequestPath(slash == std::string::npos ? "/" : rest.substr(slash));
    if (!path) return std::nullopt;
    url.path = *path;
    auto port_at = authority.rfind(':');
    url.host = authority.substr(0, port_at);
    if (port_at != std::string::npos) {
        std::string digits = authority.substr(port_at + 1);
        if (digits.empty() || digits.size() > 5) return std::nullopt;
        for (char c : digits)
            if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        long port = std::strtol(digits.c_str(), nullptr, 10);
        if (port < 1 || port > 65535) return std::nullopt;
        url.port = static_cast<unsigned short>(port);
    }
    if (url.host.empty() || url.host.size() > kMaxPart || url.path.size() > kMaxPart)
        return std::nullopt;
    for (char c : url.host)
        if (!HostCharacter(c)) return std::nullopt;
    return url;
}

}  // namespace haldor
