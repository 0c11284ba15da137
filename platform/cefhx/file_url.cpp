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

// The absolute path with "." and empty segments dropped; empty for a relative path or one that
// holds a NUL, a backslash or a ".." segment.
std::optional<std::string> normalisedPath(std::string_view path) {
    if (path.empty() || path[0] != '/') return std::nullopt;
    if (path.find_first_of(std::string_view("\0\\", 2)) != std::string_view::npos) {
        return std::nullopt;
    }
    std::string out;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view segment = path.substr(start, end - start);
        if (segment == "..") return std::nullopt;
        if (!segment.empty() && segment != ".") {
            out += '/';
            out += segment;
        }
        start = end + 1;
    }
    return out;
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

std::optional<ServedPath> servedPathOf(std::string_view url,
                                       const std::vector<std::string>& filterPaths) {
    const std::optional<std::string> decoded = localPathOf(url);
    if (!decoded) return std::nullopt;
    const std::optional<std::string> path = normalisedPath(*decoded);
    if (!path) return std::nullopt;
    const std::string lowerPath = lower(*path);
    for (const std::string& encoded : filterPaths) {
        const std::string filter = lower(percentDecode(encoded));
        if (filter.empty() || filter.find('\0') != std::string::npos) continue;
        const size_t at = lowerPath.find(filter);
        if (at == std::string::npos) continue;
        if (filter.back() == '/') {
            const size_t folderEnd = at + filter.size() - 1;
            if (folderEnd + 1 >= path->size()) continue;
            return ServedPath{path->substr(0, folderEnd), *path};
        }
        if (at + filter.size() != path->size()) continue;
        const size_t slash = path->rfind('/');
        if (slash == 0 || slash == std::string::npos) continue;
        return ServedPath{path->substr(0, slash), *path};
    }
    return std::nullopt;
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
