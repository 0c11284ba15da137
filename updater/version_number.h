#pragma once

#include <optional>
#include <string>

namespace haldor {

// Versions are whole numbers. The updater compares them, steps them, stores them in
// "UpdateTemp.ini" and names download files with them, always in their canonical decimal form.

// The version a server states: a decimal number of at most nine digits, blanks around it
// allowed. Nothing for any other text.
std::optional<long long> ParseVersion(const std::string& text);

// The integer a text starts with, as versions read from files are compared ("" and other text
// count as 0), kept within the range of a nine-digit version.
long long LeadingVersion(const std::string& text);

// The canonical decimal form of the version a text starts with.
std::string CanonicalVersion(const std::string& text);

}  // namespace haldor
