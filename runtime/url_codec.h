#pragma once

#include <string>
#include <string_view>

namespace rt {

// Percent-encodes every byte except ASCII letters, digits, "-", "_" and "." as "%XX" (upper-case
// hex), so a space becomes "%20" and each byte of a UTF-8 sequence is encoded on its own.
std::string urlEncode(std::string_view text);
// Turns "%XX" (either case) into its byte and "+" into a space; a "%" not followed by two hex
// digits stays as it is.
std::string urlDecode(std::string_view text);

}  // namespace rt
