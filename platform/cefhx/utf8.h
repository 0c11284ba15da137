// Text that goes to Chromium must be valid UTF-8: it silently drops a command that is not.
#pragma once

#include <string>
#include <string_view>

namespace cefhx {

// The text with every byte that does not start or continue a well-formed UTF-8 sequence (stray
// continuation bytes, truncated or overlong sequences, surrogates, code points above U+10FFFF)
// replaced by U+FFFD. Valid text comes back unchanged.
std::string validUtf8(std::string_view text);

}  // namespace cefhx
