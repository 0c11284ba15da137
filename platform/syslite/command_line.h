#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace syslite {

// Splits a command-line text into arguments by the rules of the system the program was written
// for: white space separates; double quotes group (a quote inside quotes written as "" is a
// literal quote); 2n backslashes before a quote give n backslashes and the quote acts as a
// quote, 2n+1 give n backslashes and a literal quote; other backslashes are literal.
std::vector<std::string> splitCommandLine(std::string_view text);

// The file to run for a program path: "\" is read as "/"; a path that does not exist and ends in
// ".exe" (any case) stands for the file without the extension beside it. Nothing when neither is
// an executable regular file.
std::optional<std::string> resolveProgram(std::string_view path);

}  // namespace syslite
