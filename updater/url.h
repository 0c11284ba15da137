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
// another scheme, an empty or over-long host or path (more than 260 characters), a bad port, a
// host of anything but letters, digits, dots, dashes and underscores, or a control character
// anywhere.
std::optional<Url> CrackUrl(const std::string& address);

// A path as it goes into a request line: blanks encoded as "%20"; nothing when it holds a control
// character (CR, LF, NUL or any other below 0x20, or DEL).
std::optional<std::string> RequestPath(const std::string& path);

}  // namespace haldor
