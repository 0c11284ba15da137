#pragma once

#include <string>
#include <string_view>

namespace rt {

// Conversion between UTF-8 and the system's ANSI code page. The code page is UTF-8, where both
// conversions leave the text as it is, unless the environment variable MORVICK_ANSI_CODEPAGE names
// another iconv encoding (for example "GB18030"). A character the code page cannot hold becomes
// "?"; a byte that is not valid in the code page becomes U+FFFD. An encoding iconv does not know
// throws std::runtime_error naming it.
std::string ansiCodePage();
std::string utf8ToAnsi(std::string_view text);
std::string ansiToUtf8(std::string_view text);

}  // namespace rt
