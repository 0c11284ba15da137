#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/http_sink.h"

namespace rt {

class HttpConnections;

// A failed request that had no error handler to report to.
class HttpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A synchronous HTTP GET client. request() returns only after the handlers have run:
//   - onStatus(status) once a response has arrived, whatever its status;
//   - then, for a status below 400, onData(body) (or the body went to the sink during the request);
//   - for a status of 400 or more, onError("Http Error #" + status); the body is dropped;
//   - when no response could be had, onError("Failed to connect on " + host + ":" + port) for a
//     failed name lookup, a refused or unreachable connection or a timeout; any other transfer
//     failure gives "Transfer failed on host:port: " + the reason, and a URL that cannot be used
//     gives "Invalid URL " + url; when the transfer library (libcurl, opened on the first
//     request) cannot be opened, "Transfer failed on " + url + ": " + what failed.
// Without onError a failure throws HttpError with the same text. An exception from the sink ends
// the transfer and propagates out of request(). A Content-Length that is not a number or does
// not fit 63 bits fails the request ("Transfer failed on host:port: ..."), as does a body over
// the cap (setBodyCap); a request past its deadline (setDeadline) fails as a timeout. Redirects are
// followed (at most 5, HTTP and HTTPS only); proxies from the environment are not used.
//
// No state is held while the handlers run, so a handler may change this object and issue the next
// request from inside itself. Separate objects may run requests on separate threads at once.
class Http {
public:
    explicit Http(std::string url = {});

    std::string url;
    std::function<void(const std::string& body)> onData;
    std::function<void(const std::string& message)> onError;
    std::function<void(int status)> onStatus;

    // Adds a request header, replacing one of the same name (compared without letter case).
    void setHeader(std::string_view name, std::string_view value);
    const std::vector<std::pair<std::string, std::string>>& headers() const { return headers_; }

    // Seconds allowed for connecting and for any stall while waiting for data (default 10).
    // 0 leaves both to the transfer library's own limit of 300 seconds.
    void setConnectionTimeout(double seconds);
    double connectionTimeout() const { return timeout_; }

    // Keeps the connection open in `connections` after each request and reuses one open there;
    // null (the default) opens a connection per request. `connections` must outlive the requests.
    void setConnections(HttpConnections* connections) { connections_ = connections; }
    // Seconds the whole request may take, redirects and body included (default 120); past it
    // the request fails as a timeout does. 0 sets no overall limit.
    void setDeadline(double seconds);
    double deadline() const { return deadline_; }

    // The most body bytes a response may bring (default 64 MB), to onData or a sink alike; a
    // larger announced length fails before the body, a longer body fails when it passes the cap.
    // 0 sets no cap.
    void setBodyCap(int64_t bytes);
    int64_t bodyCap() const { return bodyCap_; }

    // GET with the body handed to onData.
    void request();
    // GET with the body written into the sink as it arrives.
    void request(HttpSink& sink);

private:
    void run(HttpSink* sink);

    std::vector<std::pair<std::string, std::string>> headers_;
    double timeout_ = 10;
    HttpConnections* connections_ = nullptr;
    double deadline_ = 120;
    int64_t bodyCap_ = int64_t{64} << 20;
};

}  // namespace rt
