#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/shared/no_copy.h"
#include "tools/testhttp/headers.h"

namespace testhttp {

// One response as a client read it off the wire.
struct RawResponse {
    int status = 0;
    std::string head;  // status line and header lines, without the empty line
    Headers headers;
    std::string body;
    bool complete = false;  // the body had every byte its Content-Length announced
    bool closed = false;    // the server closed the connection while the response was read
};

// A plain-socket HTTP client on 127.0.0.1 for tests that must see exactly what the server sends:
// wrong lengths, early closes, several requests on one connection. Every read gives up after the
// time-out given at construction and throws std::runtime_error.
class RawClient : private morvick::NoCopy {
public:
    explicit RawClient(uint16_t port, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    ~RawClient();

    void send(std::string_view bytes);
    // Sends "GET <target> HTTP/1.1" with Host and `extraHeaders` (each line ending in CRLF).
    void sendGet(std::string_view target, std::string_view extraHeaders = "",
                 std::string_view method = "GET");

    // Reads one response: the head, then the body by its Content-Length, or up to the close
    // when it has none. With `headOnly` (the answer to HEAD) no body is read.
    RawResponse readResponse(bool headOnly = false);

    // True when nothing arrives for `period` and the connection stays open.
    bool staysQuiet(std::chrono::milliseconds period);
    // True when the server closes the connection (pending bytes are discarded).
    bool closedByServer();

private:
    bool fill();  // reads more into buffer_; false when the server closed

    int fd_ = -1;
    std::string buffer_;
};

}  // namespace testhttp
