#include "runtime/http.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <optional>

#include "runtime/curl_library.h"
#include "runtime/http_connections.h"
#include "runtime/strings.h"

namespace rt {
namespace {

constexpr long kMaxRedirects = 5;
// The transfer library's own connect limit, used as the stall limit too when none is set.
constexpr long kLibraryTimeoutSeconds = 300;

// Only used once the library has opened (Http::run checks first).
const CurlLibrary& curl() {
    return **curlLibrary();
}

struct EasyFree {
    void operator()(CURL* easy) const { curl().easy_cleanup(easy); }
};
struct ListFree {
    void operator()(curl_slist* list) const { curl().slist_free_all(list); }
};
struct UrlFree {
    void operator()(CURLU* url) const { curl().url_cleanup(url); }
};

// "host:port" of a URL, the default port filled in; the URL itself when it cannot be parsed.
std::string hostAndPort(const std::string& url) {
    std::unique_ptr<CURLU, UrlFree> parsed(curl().url());
    if (!parsed || curl().url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return url;
    }
    char* host = nullptr;
    char* port = nullptr;
    std::string out = url;
    if (curl().url_get(parsed.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK &&
        curl().url_get(parsed.get(), CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
        out = std::string(host) + ":" + port;
    }
    curl().free(host);
    curl().free(port);
    return out;
}

// The value of a Content-Length header: digits only, fitting 63 bits; empty otherwise.
std::optional<int64_t> contentLength(std::string_view value) {
    const std::string digits = trim(value);
    if (digits.empty()) return std::nullopt;
    int64_t length = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (length > (INT64_MAX - digit) / 10) return std::nullopt;
        length = length * 10 + digit;
    }
    return length;
}

// What one transfer collects while the library runs it.
struct Transfer {
    CURL* easy = nullptr;
    HttpSink* sink = nullptr;
    int64_t cap = 0;
    int64_t received = 0;
    std::string body;
    bool prepared = false;
    std::exception_ptr sinkError;
    // Why the transfer was stopped from inside (a bad length, a body over the cap).
    std::string refused;

    long status() const {
        long status = 0;
        curl().easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        return status;
    }

    void prepareSink() {
        if (prepared) return;
        prepared = true;
        curl_off_t length = -1;
        curl().easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (length >= 0) sink->prepare(length);
    }

    void write(const uint8_t* data, size_t length) {
        prepareSink();
        while (length > 0) {
            const size_t taken = sink->writeBytes(data, length);
            if (taken == 0 || taken > length) {
                throw HttpError("The response sink took " + std::to_string(taken) + " of " +
                                std::to_string(length) + " bytes");
            }
            data += taken;
            length -= taken;
        }
    }
};

std::string capText(int64_t cap) {
    return "the body is larger than the cap of " + std::to_string(cap) + " bytes";
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    const std::string_view line(data, length);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return length;
    if (toLower(trim(line.substr(0, colon))) != "content-length") return length;
    const std::string_view value = line.substr(colon + 1);
    const std::optional<int64_t> announced = contentLength(value);
    if (!announced) {
        transfer.refused = "the Content-Length " + trim(value) + " is not a length";
        return 0;
    }
    // Only the final answer's body is kept; a redirect's is never read.
    const long code = transfer.status();
    if (transfer.cap > 0 && *announced > transfer.cap && (code < 300 || code >= 400)) {
        transfer.refused = capText(transfer.cap);
        return 0;
    }
    return length;
}

size_t onWrite(char* data, size_t size, size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    // An error status's body is not the resource and goes nowhere.
    if (transfer.status() >= 400) return length;
    transfer.received += static_cast<int64_t>(length);
    if (transfer.cap > 0 && transfer.received > transfer.cap) {
        transfer.refused = capText(transfer.cap);
        return CURL_WRITEFUNC_ERROR;
    }
    if (transfer.sink == nullptr) {
        transfer.body.append(data, length);
        return length;
    }
    try {
        transfer.write(reinterpret_cast<const uint8_t*>(data), length);
    } catch (...) {
        transfer.sinkError = std::current_exception();
        return CURL_WRITEFUNC_ERROR;
    }
    return length;
}

bool isConnectFailure(CURLcode code) {
    return code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_RESOLVE_PROXY ||
           code == CURLE_COULDNT_CONNECT || code == CURLE_OPERATION_TIMEDOUT;
}

bool isUrlFailure(CURLcode code) {
    return code == CURLE_URL_MALFORMAT || code == CURLE_UNSUPPORTED_PROTOCOL;
}

}  // namespace

Http::Http(std::string url) : url(std::move(url)) {}

void Http::setHeader(std::string_view name, std::string_view value) {
    const std::string key = toLower(name);
    for (auto& header : headers_) {
        if (toLower(header.first) == key) {
            header.second = value;
            return;
        }
    }
    headers_.emplace_back(name, value);
}

void Http::setConnectionTimeout(double seconds) {
    timeout_ = seconds > 0 ? seconds : 0;
}

void Http::setDeadline(double seconds) {
    deadline_ = seconds > 0 ? seconds : 0;
}

void Http::setBodyCap(int64_t bytes) {
    bodyCap_ = bytes > 0 ? bytes : 0;
}

void Http::request() {
    run(nullptr);
}

void Http::request(HttpSink& sink) {
    run(&sink);
}

void Http::run(HttpSink* sink) {
    // Everything the handlers might change is copied first, so they may reuse this object.
    const std::string target = url;
    const auto dataHandler = onData;
    const auto errorHandler = onError;
    const auto statusHandler = onStatus;

    std::optional<std::string> failure;
    long status = 0;
    std::string body;
    if (const CurlOpening& opening = curlLibrary(); !opening) {
        failure = "Transfer failed on " + target + ": " + opening.error();
    } else {
        std::unique_ptr<CURL, EasyFree> easy(curl().easy_init());
        if (!easy) throw HttpError("Could not start a request to " + target);
        std::unique_ptr<curl_slist, ListFree> headerList;
        for (const auto& [name, value] : headers_) {
            const std::string line = name + ": " + value;
            curl_slist* extended = curl().slist_append(headerList.get(), line.c_str());
            if (extended == nullptr) throw HttpError("Could not add header " + line);
            headerList.release();
            headerList.reset(extended);
        }
        Transfer transfer;
        transfer.easy = easy.get();
        transfer.sink = sink;
        transfer.cap = bodyCap_;
        char reason[CURL_ERROR_SIZE] = {};
        const long limitMs =
            timeout_ > 0 ? std::lround(timeout_ * 1000) : kLibraryTimeoutSeconds * 1000;
        const long stallSeconds = std::max(1L, (limitMs + 999) / 1000);

        CURL* handle = easy.get();
        curl().easy_setopt(handle, CURLOPT_URL, target.c_str());
        curl().easy_setopt(handle, CURLOPT_HTTPGET, 1L);
        curl().easy_setopt(handle, CURLOPT_HTTPHEADER, headerList.get());
        curl().easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl().easy_setopt(handle, CURLOPT_PROXY, "");
        curl().easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
        curl().easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl().easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl().easy_setopt(handle, CURLOPT_MAXREDIRS, kMaxRedirects);
        curl().easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, limitMs);
        curl().easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl().easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stallSeconds);
        curl().easy_setopt(handle, CURLOPT_ERRORBUFFER, reason);
        curl().easy_setopt(handle, CURLOPT_WRITEFUNCTION, onWrite);
        curl().easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
        if (connections_ != nullptr)
            curl().easy_setopt(handle, CURLOPT_SHARE, connections_->handle());
        curl().easy_setopt(handle, CURLOPT_HEADERFUNCTION, onHeader);
        curl().easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
        if (deadline_ > 0) {
            curl().easy_setopt(handle, CURLOPT_TIMEOUT_MS,
                               std::max(1L, std::lround(deadline_ * 1000)));
        }

        const CURLcode code = curl().easy_perform(handle);
        if (transfer.sinkError) std::rethrow_exception(transfer.sinkError);
        char* lastUrl = nullptr;
        curl().easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &lastUrl);
        const std::string where = hostAndPort(lastUrl != nullptr ? lastUrl : target);
        if (!transfer.refused.empty()) {
            failure = "Transfer failed on " + where + ": " + transfer.refused;
        } else if (isConnectFailure(code)) {
            failure = "Failed to connect on " + where;
        } else if (isUrlFailure(code)) {
            failure = "Invalid URL " + target;
        } else if (code != CURLE_OK) {
            failure = "Transfer failed on " + where + ": " +
                      (reason[0] != '\0' ? reason : curl().easy_strerror(code));
        } else {
            status = transfer.status();
            if (status >= 400) {
                failure = "Http Error #" + std::to_string(status);
            } else if (sink != nullptr) {
                transfer.prepareSink();
            }
        }
        body = std::move(transfer.body);
    }

    if (status != 0 && statusHandler) statusHandler(static_cast<int>(status));
    if (failure) {
        if (!errorHandler) throw HttpError(*failure);
        errorHandler(*failure);
    } else if (sink == nullptr && dataHandler) {
        dataHandler(body);
    }
}

}  // namespace rt
