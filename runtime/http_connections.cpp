#include "runtime/http_connections.h"

#include <stdexcept>

#include "runtime/curl_library.h"

namespace rt {

struct HttpConnections::Share {
    std::shared_ptr<const CurlLibrary> curl;
    CURLSH* handle = nullptr;
};

HttpConnections::HttpConnections() : share_(std::make_unique<Share>()) {
    const CurlOpening& opening = curlLibrary();
    if (!opening) {
        throw std::runtime_error("Could not make a cache of HTTP connections: " + opening.error());
    }
    const CurlLibrary& curl = **opening;
    share_->curl = *opening;
    share_->handle = curl.share_init();
    if (share_->handle == nullptr ||
        curl.share_setopt(share_->handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT) != CURLSHE_OK ||
        curl.share_setopt(share_->handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) != CURLSHE_OK) {
        if (share_->handle != nullptr) curl.share_cleanup(share_->handle);
        throw std::runtime_error("Could not make a cache of HTTP connections");
    }
}

HttpConnections::~HttpConnections() {
    share_->curl->share_cleanup(share_->handle);
}

void* HttpConnections::handle() const {
    return share_->handle;
}

}  // namespace rt
