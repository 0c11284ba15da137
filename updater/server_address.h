#pragma once

#include <string>

namespace haldor {

// Server addresses in "UpdateTemp.ini" longer than 20 characters are kept in a stored form: 20
// filler characters, then the address with each character shifted by an offset taken in turn
// from a cycle of three.
std::string DecodeStoredAddress(const std::string& stored);
std::string EncodeStoredAddress(const std::string& address);

// Puts "http://" in front unless the first seven characters already say so in any case.
std::string WithHttpScheme(const std::string& address);

}  // namespace haldor
