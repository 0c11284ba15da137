#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/shared/expected.h"
#include "tools/testhttp/fault.h"

namespace testhttp {

// A fault bound to a path, as written on testhttpd's command line or in its rules file:
//   <path> <kind> [arguments] [nth=N] [range-start=S]
// with the kinds
//   status CODE | redirect CODE LOCATION | drop-after BYTES | stall | pause-headers MS |
//   pause-body BYTES MS | content-length +N/-N | no-content-length | ignore-range |
//   content-range +N/-N | slow BYTES_PER_SECOND | error-page | big-header BYTES |
//   split-header BYTES MS
// Fault::describe() writes the same words. The path is percent-decoded ("/a%20b" for "/a b"),
// as request paths are before faults are looked up.
struct FaultRule {
    std::string path;
    Fault fault;
};

// Reads one rule; a failure names the rule and what is wrong with it.
morvick::Expected<FaultRule> parseFaultRule(std::string_view line);

// Reads a rules file: one rule a line; blank lines and lines starting with "#" are skipped.
// A failure names the line number.
morvick::Expected<std::vector<FaultRule>> parseFaultRules(std::string_view text);

}  // namespace testhttp
