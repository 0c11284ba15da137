#pragma once

#include <optional>
#include <string>

namespace haldor {

// MD5 of a whole file (RFC 1321).
struct MD5_CTX {
    // 32 lower-case hexadecimal digits, or nothing when the file cannot be opened or read.
    static std::optional<std::string> FileDigest(const std::string& path);
};

}  // namespace haldor
