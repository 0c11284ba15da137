#include "lobby/bindings/cef/page_callers.h"

#include <optional>

#include "runtime/strings.h"
#include "runtime/url_codec.h"

namespace cef {
namespace {

struct Origin {
    std::string scheme;
    std::string host;
    std::string port;
    bool operator==(const Origin&) const = default;
};

// Scheme, host and port of an "http:" or "https:" address, the default port filled in.
std::optional<Origin> originOf(std::string_view url) {
    const size_t colon = url.find("://");
    if (colon == std::string_view::npos) return std::nullopt;
    Origin origin;
    origin.scheme = rt::toLower(url.substr(0, colon));
    if (origin.scheme != "http" && origin.scheme != "https") return std::nullopt;
    std::string_view authority = url.substr(colon + 3);
    authority = authority.substr(0, authority.find_first_of("/?#\\"));
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority = authority.substr(at + 1);
    }
    std::string_view host = authority;
    std::string_view port;
    const size_t bracket = authority.rfind(']');
    const size_t portColon = authority.rfind(':');
    if (portColon != std::string_view::npos &&
        (bracket == std::string_view::npos || portColon > bracket)) {
        host = authority.substr(0, portColon);
        port = authority.substr(portColon + 1);
    }
    if (host.empty()) return std::nullopt;
    origin.host = rt::toLower(host);
    origin.port = port.empty() ? (origin.scheme == "http" ? "80" : "443") : std::string(port);
    return origin;
}

// The decoded path of a "file:" address on this machine; empty when it is none.
std::optional<std::string> filePathOf(std::string_view url) {
    constexpr std::string_view kScheme = "file://";
    if (url.size() < kScheme.size() || rt::toLower(url.substr(0, kScheme.size())) != kScheme) {
        return std::nullopt;
    }
    std::string_view rest = url.substr(kScheme.size());
    rest = rest.substr(0, rest.find_first_of("?#"));
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string host = rt::toLower(rest.substr(0, slash));
    if (!host.empty() && host != "localhost") return std::nullopt;
    // "+" is a plain character in a path.
    return rt::urlDecode(rt::replaceAll(std::string(rest.substr(slash)), "+", "%2B"));
}

bool underFolder(const std::string& path, std::string_view folder) {
    if (folder.empty() || path.find('\0') != std::string::npos) return false;
    const std::string lower = rt::toLower(path);
    if (lower.size() <= folder.size() || lower.compare(0, folder.size(), folder) != 0) return false;
    for (const std::string& segment : rt::split(lower, "/")) {
        if (segment == "..") return false;
    }
    return true;
}

}  // namespace

bool isTrustedCaller(std::string_view url, std::string_view localFolder, std::string_view siteUrl) {
    if (const std::optional<std::string> path = filePathOf(url)) {
        return underFolder(*path, localFolder);
    }
    const std::optional<Origin> caller = originOf(url);
    const std::optional<Origin> site = originOf(siteUrl);
    return caller && site && *caller == *site;
}

void PageCallers::trust(std::string localFolder, std::string siteUrl) {
    folder_ = std::move(localFolder);
    site_ = std::move(siteUrl);
}

bool PageCallers::mayCall(std::string_view url) {
    return isTrustedCaller(url, folder_, site_);
}

}  // namespace cef
