#include "tools/testhttp/fault.h"

#include <stdexcept>
#include <utility>

namespace testhttp {

namespace {

Fault make(FaultKind kind) {
    Fault f;
    f.kind = kind;
    return f;
}

// A fault of the kind with one of its fields set.
template <class Field, class V>
Fault make(FaultKind kind, Field Fault::*field, V value) {
    Fault f = make(kind);
    f.*field = std::move(value);
    return f;
}

bool isLoopbackHost(std::string_view host) {
    if (host == "localhost" || host == "[::1]") return true;
    if (!host.starts_with("127.")) return false;
    int dots = 0;
    for (char c : host) {
        if (c == '.') {
            ++dots;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    return dots == 3;
}

}  // namespace

bool isLocalLocation(std::string_view location) {
    if (location.starts_with("/")) return !location.starts_with("//");
    if (!location.starts_with("http://")) return false;
    std::string_view rest = location.substr(7);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    if (authority.find('@') != std::string_view::npos) return false;
    std::string_view host = authority;
    if (host.starts_with("[")) {
        host = host.substr(0, host.find(']') + 1);
    } else {
        host = host.substr(0, host.find(':'));
    }
    return isLoopbackHost(host);
}

Fault Fault::answerStatus(int status) {
    if (status < 100 || status > 599)
        throw std::invalid_argument("status " + std::to_string(status) + " is not an HTTP status");
    return make(FaultKind::Status, &Fault::status, status);
}

Fault Fault::redirect(int status, std::string location) {
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308)
        throw std::invalid_argument("status " + std::to_string(status) + " is not a redirect");
    if (!isLocalLocation(location))
        throw std::invalid_argument("redirect target '" + location +
                                    "' is neither a path nor an http address on this machine");
    Fault f = make(FaultKind::Redirect);
    f.status = status;
    f.location = std::move(location);
    return f;
}

Fault Fault::dropAfter(uint64_t bodyBytes) {
    return make(FaultKind::DropAfter, &Fault::bytes, bodyBytes);
}

Fault Fault::stall() {
    return make(FaultKind::Stall);
}

Fault Fault::pauseBeforeHeaders(std::chrono::milliseconds pause) {
    if (pause.count() < 0) throw std::invalid_argument("a pause cannot be negative");
    return make(FaultKind::PauseBeforeHeaders, &Fault::pause, pause);
}

Fault Fault::pauseMidBody(uint64_t bodyBytes, std::chrono::milliseconds pause) {
    if (pause.count() < 0) throw std::invalid_argument("a pause cannot be negative");
    Fault f = make(FaultKind::PauseMidBody);
    f.bytes = bodyBytes;
    f.pause = pause;
    return f;
}

Fault Fault::wrongContentLength(int64_t delta) {
    if (delta == 0) throw std::invalid_argument("a wrong Content-Length needs a non-zero delta");
    return make(FaultKind::WrongContentLength, &Fault::delta, delta);
}

Fault Fault::noContentLength() {
    return make(FaultKind::NoContentLength);
}

Fault Fault::ignoreRange() {
    return make(FaultKind::IgnoreRange);
}

Fault Fault::wrongContentRange(int64_t shift) {
    if (shift == 0) throw std::invalid_argument("a wrong Content-Range needs a non-zero shift");
    return make(FaultKind::WrongContentRange, &Fault::delta, shift);
}

Fault Fault::slowBody(uint64_t bytesPerSecond) {
    if (bytesPerSecond == 0) throw std::invalid_argument("a slow body needs at least 1 byte/s");
    return make(FaultKind::SlowBody, &Fault::bytes, bytesPerSecond);
}

Fault Fault::errorPage() {
    return make(FaultKind::ErrorPage);
}

Fault Fault::oversizedHeader(uint64_t headerBytes) {
    return make(FaultKind::OversizedHeader, &Fault::bytes, headerBytes);
}

Fault Fault::splitHeader(uint64_t pieceBytes, std::chrono::milliseconds pause) {
    if (pieceBytes == 0) throw std::invalid_argument("a header piece needs at least one byte");
    if (pause.count() < 0) throw std::invalid_argument("a pause cannot be negative");
    Fault f = make(FaultKind::SplitHeader);
    f.bytes = pieceBytes;
    f.pause = pause;
    return f;
}

Fault Fault::rawAnswer(std::string bytes) {
    if (bytes.empty()) throw std::invalid_argument("a raw answer needs at least one byte");
    return make(FaultKind::RawAnswer, &Fault::raw, std::move(bytes));
}

std::string escapeBytes(std::string_view bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == ' ') {
            out += "\\s";
        } else if (u < 0x21 || u > 0x7e) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescapeBytes(std::string_view text) {
    auto hex = [&](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        throw std::invalid_argument("bad escape in '" + std::string(text) + "'");
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            throw std::invalid_argument("bad escape in '" + std::string(text) + "'");
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 's':
                out += ' ';
                break;
            case 'x':
                if (i + 2 >= text.size())
                    throw std::invalid_argument("bad escape in '" + std::string(text) + "'");
                out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
                i += 2;
                break;
            default:
                throw std::invalid_argument("bad escape in '" + std::string(text) + "'");
        }
    }
    return out;
}

Fault Fault::onRequest(int n) const {
    if (n < 1) throw std::invalid_argument("request number " + std::to_string(n) + " is below 1");
    Fault f = *this;
    f.nth = n;
    return f;
}

Fault Fault::forRangeStart(uint64_t first) const {
    Fault f = *this;
    f.rangeStart = first;
    return f;
}

bool Fault::appliesTo(const Request& req, int number) const {
    if (nth != 0 && number != nth) return false;
    if (rangeStart && !(req.range && req.range->first == rangeStart)) return false;
    return true;
}

std::string Fault::describe() const {
    std::string s;
    switch (kind) {
        case FaultKind::Status:
            s = "status " + std::to_string(status);
            break;
        case FaultKind::Redirect:
            s = "redirect " + std::to_string(status) + " " + location;
            break;
        case FaultKind::DropAfter:
            s = "drop-after " + std::to_string(bytes);
            break;
        case FaultKind::Stall:
            s = "stall";
            break;
        case FaultKind::PauseBeforeHeaders:
            s = "pause-headers " + std::to_string(pause.count());
            break;
        case FaultKind::PauseMidBody:
            s = "pause-body " + std::to_string(bytes) + " " + std::to_string(pause.count());
            break;
        case FaultKind::WrongContentLength:
            s = "content-length " + std::string(delta > 0 ? "+" : "") + std::to_string(delta);
            break;
        case FaultKind::NoContentLength:
            s = "no-content-length";
            break;
        case FaultKind::IgnoreRange:
            s = "ignore-range";
            break;
        case FaultKind::WrongContentRange:
            s = "content-range " + std::string(delta > 0 ? "+" : "") + std::to_string(delta);
            break;
        case FaultKind::SlowBody:
            s = "slow " + std::to_string(bytes);
            break;
        case FaultKind::ErrorPage:
            s = "error-page";
            break;
        case FaultKind::OversizedHeader:
            s = "big-header " + std::to_string(bytes);
            break;
        case FaultKind::SplitHeader:
            s = "split-header " + std::to_string(bytes) + " " + std::to_string(pause.count());
            break;
        case FaultKind::RawAnswer:
            s = "raw " + escapeBytes(raw);
            break;
    }
    if (nth != 0) s += " nth=" + std::to_string(nth);
    if (rangeStart) s += " range-start=" + std::to_string(*rangeStart);
    return s;
}

}  // namespace testhttp
