#include "runtime/curl_library.h"

#include <dlfcn.h>

namespace rt {
namespace {

template <typename Function>
void take(void* handle, const char* name, Function& into, std::string& error) {
    into = reinterpret_cast<Function>(dlsym(handle, name));
    if (into == nullptr && error.empty())
        error = std::string(name) + " is missing from the library";
}

}  // namespace

CurlOpening openCurlLibrary(const char* file) {
    void* handle = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        return morvick::fail(std::string("cannot open ") + file + ": " +
                             (why ? why : "unknown error"));
    }
    auto library = std::make_shared<CurlLibrary>();
    std::string error;
    take(handle, "curl_global_init", library->global_init, error);
    take(handle, "curl_easy_init", library->easy_init, error);
    take(handle, "curl_easy_cleanup", library->easy_cleanup, error);
    take(handle, "curl_easy_setopt", library->easy_setopt, error);
    take(handle, "curl_easy_getinfo", library->easy_getinfo, error);
    take(handle, "curl_easy_perform", library->easy_perform, error);
    take(handle, "curl_easy_strerror", library->easy_strerror, error);
    take(handle, "curl_free", library->free, error);
    take(handle, "curl_slist_append", library->slist_append, error);
    take(handle, "curl_slist_free_all", library->slist_free_all, error);
    take(handle, "curl_url", library->url, error);
    take(handle, "curl_url_cleanup", library->url_cleanup, error);
    take(handle, "curl_url_get", library->url_get, error);
    take(handle, "curl_url_set", library->url_set, error);
    take(handle, "curl_share_init", library->share_init, error);
    take(handle, "curl_share_setopt", library->share_setopt, error);
    take(handle, "curl_share_cleanup", library->share_cleanup, error);
    if (!error.empty()) {
        dlclose(handle);
        return morvick::fail(std::string(file) + ": " + error);
    }
    return std::shared_ptr<const CurlLibrary>(std::move(library));
}

const CurlOpening& curlLibrary() {
    // A function-local static: initialised once, other threads wait for it.
    static const CurlOpening opening = [] {
        CurlOpening o = openCurlLibrary("libcurl.so.4");
        if (o && (*o)->global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            return CurlOpening(morvick::fail("libcurl could not be initialised"));
        }
        return o;
    }();
    return opening;
}

}  // namespace rt
