#pragma once

#include <optional>
#include <string>

namespace haldor {

// An address cracked into what a request needs.
struct Url {
    std::string host;
    unsigned short port = 80;
    std::string path;  // starts with "/"
};

// Cracks an "http://host[:port][/path]" address; blanks in it are encoded as "%20". Nothing for
// another scheme, an empty or over-long host or path (more than 260 characters) or a bad port.
std::optional<Url> CrackUrl(const std::string& address);

}  // namespace haldor
