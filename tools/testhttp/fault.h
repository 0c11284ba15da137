#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "tools/testhttp/request.h"

namespace testhttp {

enum class FaultKind {
    Status,              // answer `status` with a short text body
    Redirect,            // answer `status` (301, 302, 303, 307, 308) with "Location: " `location`
    DropAfter,           // send the header and `bytes` body bytes, then close the connection
    Stall,               // read the request and never answer; the connection stays open
    PauseBeforeHeaders,  // wait `pause`, then answer as usual
    PauseMidBody,        // send `bytes` body bytes, wait `pause`, then send the rest
    WrongContentLength,  // announce the body's length plus `delta`, send the body, then close
    NoContentLength,     // send no Content-Length; the body ends when the server closes
    IgnoreRange,         // answer a range request with 200 and the whole resource
    WrongContentRange,   // answer 206 with the asked bytes but a Content-Range moved by `delta`
    SlowBody,            // send the body at `bytes` bytes per second
    ErrorPage,           // answer 200 with an HTML error page instead of the resource
    OversizedHeader,     // pad the response header to at least `bytes` bytes
    SplitHeader,         // send the response header `bytes` bytes at a time, `pause` apart
    RawAnswer,           // send `raw` as the whole answer, byte for byte, then close
};

// A misbehaviour the server shows for one path, optionally only for the path's Nth request or
// for requests whose range starts at a given byte. Made by the named constructors below.
struct Fault {
    FaultKind kind = FaultKind::Status;
    int status = 0;
    std::string location;
    uint64_t bytes = 0;
    int64_t delta = 0;
    std::chrono::milliseconds pause{0};
    std::string raw;
    int nth = 0;                         // 1-based request number for the path; 0 = every request
    std::optional<uint64_t> rangeStart;  // only requests for a range that starts here

    static Fault answerStatus(int status);
    // `location` is a path on the same server ("/x") or an http address on this machine
    // ("http://127.0.0.1:port/x", "http://localhost:port/x"); anything else is refused.
    static Fault redirect(int status, std::string location);
    static Fault dropAfter(uint64_t bodyBytes);
    static Fault stall();
    static Fault pauseBeforeHeaders(std::chrono::milliseconds pause);
    static Fault pauseMidBody(uint64_t bodyBytes, std::chrono::milliseconds pause);
    static Fault wrongContentLength(int64_t delta);
    static Fault noContentLength();
    static Fault ignoreRange();
    static Fault wrongContentRange(int64_t shift);
    static Fault slowBody(uint64_t bytesPerSecond);
    static Fault errorPage();
    static Fault oversizedHeader(uint64_t headerBytes);
    static Fault splitHeader(uint64_t pieceBytes, std::chrono::milliseconds pause);
    // Any bytes at all as the answer (a hostile server's head and body); the connection closes
    // after them.
    static Fault rawAnswer(std::string bytes);

    Fault onRequest(int n) const;               // only the path's nth request (1-based)
    Fault forRangeStart(uint64_t first) const;  // only ranges that start at `first`

    // Whether the fault applies to `req`, the `number`-th request for its path.
    bool appliesTo(const Request& req, int number) const;
    std::string describe() const;
};

// True when `location` is a same-server path or an http address on the loopback interface.
bool isLocalLocation(std::string_view location);

// The one-word text form of any bytes, as rules write them: "\\", "\r", "\n", "\t", "\s" (a
// blank) and "\xHH" stand for themselves; printable characters stand as they are.
std::string escapeBytes(std::string_view bytes);
// The bytes back from that form; throws std::invalid_argument for a bad escape.
std::string unescapeBytes(std::string_view text);

}  // namespace testhttp
