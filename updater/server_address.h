#pragma once

#include <string>

namespace haldor {

// Server addresses in "UpdateTemp.ini" longer than 20 characters are kept in a stored form: 20
// filler characters, then the address with each character shifted by an offset taken in turn
// from a cycle of three.
std::string DecodeStoredAddress(const std::string& stored);
std::string EncodeStoredAddress(const std::string& address);

// Whether a server address from a version file may be kept in "UpdateTemp.ini": in its stored
// form it holds no control character, and the address it stands for is a plain
// "[http://]host[:port][/path]" (a host of letters, digits, dots and dashes; a path of letters,
// digits and "-._/" without a ".." segment).
bool IsStorableServerAddress(const std::string& stored);

// Puts "http://" in front unless the first seven characters already say so in any case.
std::string WithHttpScheme(const std::string& address);

}  // namespace haldor
