#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

// MD5 digests as 32 lower-case hex characters.
std::string md5Hex(const uint8_t* data, size_t length);
std::string md5Hex(const std::vector<uint8_t>& bytes);
std::string md5Hex(std::string_view text);
// Reads the file in blocks; a missing or unreadable file throws rt::IoError.
std::string md5File(std::string_view path);

}  // namespace rt
