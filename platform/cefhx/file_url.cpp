#include "platform/cefhx/file_url.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace cefhx {
namespace {

bool hasScheme(std::string_view s) {
    size_t colon = s.find(':');
    // One letter before the colon is a drive ("C:"), not a scheme.
    if (colon == std::string_view::npos || colon < 2) return false;
    if (!std::isalpha(static_cast<unsigned char>(s[0]))) return false;
    return std::all_of(s.begin(), s.begin() + colon, [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecode(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            int hi = hexValue(s[i + 1]);
            int lo = hexValue(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

void appendEscaped(std::string& out, unsigned char c) {
    static const char* const kHex = "0123456789ABCDEF";
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

std::string_view withoutQuery(std::string_view url) {
    return url.substr(0, url.find_first_of("?#"));
}

}  // namespace

std::string pageAddress(std::string_view urlOrPath) {
    if (hasScheme(urlOrPath)) return std::string(urlOrPath);
    // The windows open their pages with a query ("gamenp.html?app=..."): what follows the first
    // "?" is the query, kept as given apart from the bytes an address cannot hold.
    const size_t question = urlOrPath.find('?');
    const std::string_view path = urlOrPath.substr(0, question);
    std::string out = "file://";
    if (path.empty() || (path[0] != '/' && path[0] != '\\')) out += '/';
    for (char ch : path) {
        const unsigned char c = static_cast<unsigned char>(ch == '\\' ? '/' : ch);
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '/' ||
            c == ':') {
            out += static_cast<char>(c);
        } else {
            appendEscaped(out, c);
        }
    }
    if (question == std::string_view::npos) return out;
    out += '?';
    for (char ch : urlOrPath.substr(question + 1)) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c >= 0x7f || c == '"' || c == '<' || c == '>' || c == '`') {
            appendEscaped(out, c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::optional<std::string> localPathOf(std::string_view url) {
    constexpr std::string_view kPrefix = "file://";
    if (url.size() < kPrefix.size() || lower(url.substr(0, kPrefix.size())) != kPrefix) {
        return std::nullopt;
    }
    std::string_view rest = withoutQuery(url.substr(kPrefix.size()));
    size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    std::string_view host = rest.substr(0, slash);
    if (!host.empty() && lower(host) != "localhost") return std::nullopt;
    return percentDecode(rest.substr(slash));
}

bool matchesFilterPath(std::string_view url, const std::vector<std::string>& filterPaths) {
    std::string path = lower(withoutQuery(url));
    return std::any_of(filterPaths.begin(), filterPaths.end(), [&](const std::string& p) {
        return !p.empty() && path.find(lower(p)) != std::string::npos;
    });
}

std::string contentTypeOf(std::string_view path) {
    static const std::map<std::string, std::string, std::less<>> kTypes = {
        {"html", "text/html"},        {"htm", "text/html"},
        {"js", "text/javascript"},    {"mjs", "text/javascript"},
        {"css", "text/css"},          {"json", "application/json"},
        {"txt", "text/plain"},        {"xml", "text/xml"},
        {"svg", "image/svg+xml"},     {"png", "image/png"},
        {"jpg", "image/jpeg"},        {"jpeg", "image/jpeg"},
        {"gif", "image/gif"},         {"bmp", "image/bmp"},
        {"ico", "image/x-icon"},      {"webp", "image/webp"},
        {"woff", "font/woff"},        {"woff2", "font/woff2"},
        {"wasm", "application/wasm"}, {"swf", "application/x-shockwave-flash"},
        {"mp3", "audio/mpeg"},        {"ogg", "audio/ogg"},
    };
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return "application/octet-stream";
    }
    auto it = kTypes.find(lower(path.substr(dot + 1)));
    return it == kTypes.end() ? "application/octet-stream" : it->second;
}

}  // namespace cefhx
