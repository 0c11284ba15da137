#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

// A running MD5 digest over data given in pieces.
class Md5 {
public:
    Md5();
    ~Md5();

    void update(const void* data, size_t length);
    // The digest as 32 lower-case hex characters; the digest then starts again.
    std::string hex();

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

// MD5 digests as 32 lower-case hex characters.
std::string md5Hex(const uint8_t* data, size_t length);
std::string md5Hex(const std::vector<uint8_t>& bytes);
std::string md5Hex(std::string_view text);
// Reads the file in blocks; a missing or unreadable file throws rt::IoError.
std::string md5File(std::string_view path);

}  // namespace rt
