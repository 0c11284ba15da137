// Addresses come from the state file and from redirects. Whatever is cracked or made into a
// request path carries no control character and no blank, and a cracked host is only letters,
// digits, dots, dashes and underscores.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "updater/url.h"

namespace {

bool Clean(const std::string& text) {
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (auto url = haldor::CrackUrl(text)) {
        if (url->host.empty() || !Clean(url->host) || !Clean(url->path) ||
            !url->path.starts_with("/") || url->port == 0 || url->host.size() > 260 ||
            url->path.size() > 260)
            std::abort();
        for (char c : url->host)
            if (c == ':' || c == '/' || c == '@' || c == '%') std::abort();
    }
    if (auto path = haldor::RequestPath(text); path && !Clean(*path)) std::abort();
    return 0;
}
