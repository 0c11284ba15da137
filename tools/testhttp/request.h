#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tools/testhttp/byte_range.h"
#include "tools/testhttp/headers.h"

namespace testhttp {

// One request as the server read it.
struct Request {
    std::string method;   // "GET", "HEAD", ...
    std::string target;   // the request target exactly as sent
    std::string path;     // the target's path, percent-decoded, without the query
    std::string query;    // the text after "?", undecoded; empty when there is none
    std::string version;  // "HTTP/1.1" or "HTTP/1.0"
    Headers headers;
    std::optional<ByteRange> range;  // the Range header when it names one byte range

    // Whether the connection stays open after the answer, by version and Connection header.
    bool keepAlive() const;
};

// A request the server cannot take; `status` is the answer it gets (400, 505, ...).
class BadRequest : public std::runtime_error {
public:
    BadRequest(int status, const std::string& what) : std::runtime_error(what), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

// Reads a request head: the request line and the header lines, each ending in CRLF (a bare LF is
// taken too), without the empty line that ends the head. Throws BadRequest.
Request parseRequestHead(std::string_view head);

// Decodes %XX escapes. Throws BadRequest on a broken escape or an escaped NUL.
std::string percentDecode(std::string_view s);

}  // namespace testhttp
