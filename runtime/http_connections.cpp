#include "runtime/http_connections.h"

#include <curl/curl.h>

#include <mutex>
#include <stdexcept>

namespace rt {

struct HttpConnections::Share {
    CURLSH* handle = nullptr;
};

HttpConnections::HttpConnections() : share_(std::make_unique<Share>()) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    share_->handle = curl_share_init();
    if (share_->handle == nullptr ||
        curl_share_setopt(share_->handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT) != CURLSHE_OK ||
        curl_share_setopt(share_->handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) != CURLSHE_OK) {
        if (share_->handle != nullptr) curl_share_cleanup(share_->handle);
        throw std::runtime_error("Could not make a cache of HTTP connections");
    }
}

HttpConnections::~HttpConnections() {
    curl_share_cleanup(share_->handle);
}

void* HttpConnections::handle() const {
    return share_->handle;
}

}  // namespace rt
