// libcurl, opened the first time a request needs it rather than when the runtime loads: the
// library and the TLS, Kerberos and LDAP libraries it brings cost every program tens of
// milliseconds of start, and a program's first request comes later, often on a worker thread.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

#include "platform/shared/expected.h"

namespace rt {

// The functions of libcurl the runtime calls, named without their "curl_" prefix.
struct CurlLibrary {
    decltype(&curl_global_init) global_init = nullptr;
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_perform) easy_perform = nullptr;
    decltype(&curl_easy_strerror) easy_strerror = nullptr;
    decltype(&curl_free) free = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;
    decltype(&curl_url) url = nullptr;
    decltype(&curl_url_cleanup) url_cleanup = nullptr;
    decltype(&curl_url_get) url_get = nullptr;
    decltype(&curl_url_set) url_set = nullptr;
    decltype(&curl_share_init) share_init = nullptr;
    decltype(&curl_share_setopt) share_setopt = nullptr;
    decltype(&curl_share_cleanup) share_cleanup = nullptr;
};

// An opened libcurl, or what failed: the file that could not be opened or the function it lacks.
using CurlOpening = morvick::Expected<std::shared_ptr<const CurlLibrary>>;

// Opens `file` and takes every function of CurlLibrary from it; the library stays open for the
// process's life.
CurlOpening openCurlLibrary(const char* file);

// The process's libcurl ("libcurl.so.4"), opened and globally initialised once, on the first call
// from any thread; every later call answers the same.
const CurlOpening& curlLibrary();

}  // namespace rt
