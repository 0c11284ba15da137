// Native calls into a page's frames: a page function by name, script for its value, script
// run for its effect. The first two wait for the answer (one DevTools call and a wait with a
// deadline that keeps handling page calls, paused requests, dialogs and new targets).
#pragma once

#include <string>

#include "runtime/value.h"

namespace cefhx {

class BrowserHost;
struct FrameInfo;
class HostWindow;

// The expression that calls a page function (a dotted name reaches into objects) with the
// arguments given as a JSON array and answers its result as JSON text.
std::string invokeExpression(const std::string& function, const std::string& argumentsJson);
// The expression that evaluates code in the global scope and answers its value as JSON text.
std::string evalExpression(const std::string& code);

// Runs `expression` in the frame's script context and answers its JSON result as a value;
// null when the frame has no page, the script threw (written to standard error) or the
// deadline passed.
rt::Value evaluateForValue(BrowserHost& host, HostWindow& w, const FrameInfo& frame,
                           const std::string& expression);
// Runs code in the frame without waiting for it.
void runInFrame(BrowserHost& host, HostWindow& w, const FrameInfo& frame, const std::string& code);

}  // namespace cefhx
