#include "tools/testhttp/request.h"

namespace testhttp {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view nextLine(std::string_view& rest) {
    size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

void parseRequestLine(std::string_view line, Request& req) {
    size_t sp1 = line.find(' ');
    size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || line.find(' ', sp2 + 1) != std::string_view::npos)
        throw BadRequest(400, "malformed request line '" + std::string(line) + "'");
    req.method = line.substr(0, sp1);
    req.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    req.version = line.substr(sp2 + 1);
    if (req.method.empty() || req.target.empty())
        throw BadRequest(400, "malformed request line '" + std::string(line) + "'");
    if (req.version != "HTTP/1.1" && req.version != "HTTP/1.0")
        throw BadRequest(505, "unsupported version '" + req.version + "'");

    std::string_view target = req.target;
    // The absolute form "http://host:port/path" names the same resource as "/path".
    if (target.starts_with("http://")) {
        size_t slash = target.find('/', 7);
        target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    }
    size_t q = target.find('?');
    if (q != std::string_view::npos) {
        req.query = target.substr(q + 1);
        target = target.substr(0, q);
    }
    if (!target.starts_with('/'))
        throw BadRequest(400, "request target '" + req.target + "' is not a path");
    req.path = percentDecode(target);
}

}  // namespace

bool Request::keepAlive() const {
    auto connection = headers.get("Connection");
    if (version == "HTTP/1.0") return connection && hasToken(*connection, "keep-alive");
    return !(connection && hasToken(*connection, "close"));
}

std::string percentDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        int hi = i + 2 < s.size() ? hexDigit(s[i + 1]) : -1;
        int lo = i + 2 < s.size() ? hexDigit(s[i + 2]) : -1;
        if (hi < 0 || lo < 0 || (hi == 0 && lo == 0))
            throw BadRequest(400, "bad percent escape in '" + std::string(s) + "'");
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

Request parseRequestHead(std::string_view head) {
    Request req;
    std::string_view rest = head;
    parseRequestLine(nextLine(rest), req);
    while (!rest.empty()) {
        std::string_view line = nextLine(rest);
        if (line.empty()) continue;
        size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0 || line.front() == ' ' ||
            line.front() == '\t' || line[colon - 1] == ' ' || line[colon - 1] == '\t')
            throw BadRequest(400, "malformed header line '" + std::string(line) + "'");
        req.headers.add(std::string(line.substr(0, colon)),
                        std::string(trim(line.substr(colon + 1))));
    }
    if (auto range = req.headers.get("Range")) req.range = parseByteRange(*range);
    return req;
}

}  // namespace testhttp
