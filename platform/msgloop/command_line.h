// Splitting a Windows-style command line and finding the program it names.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace msgloop {

// The arguments after the program name, split by the standard rules: white space separates,
// double quotes group, "" inside quotes is a quote, backslashes are literal unless they precede
// a quote.
std::vector<std::string> split_arguments(std::string_view text);

// The whole command line: the program name first, then the arguments. An unquoted program name
// grows over spaces from the left until is_program accepts a prefix; when none is accepted the
// first token is the program.
std::vector<std::string> split_command_line(
    std::string_view line, const std::function<bool(const std::string&)>& is_program);

// The path to start for a program name: a name with a slash as it stands, else the current
// folder and then PATH; "x.exe" falls back to "x". Empty when no executable file is found.
std::optional<std::string> find_program(const std::string& name);

}  // namespace msgloop
