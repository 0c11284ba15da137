// The page bridge: a script every page gets, through which the page calls the program by name
// and receives the answer as a promise (docs/page-bridge.md).
#pragma once

#include <json/json.h>

#include <memory>
#include <string>

namespace cefhx {

class BrowserHost;
class HostWindow;

// The script added to every document before its own scripts run.
const std::string& pageBridgeScript();

// A page's call through the binding: on_jscall(name, args) on the window, then the promise is
// settled with the answer (or rejected with the failure).
void onBindingCalled(BrowserHost& host, const std::shared_ptr<HostWindow>& w,
                     const Json::Value& params);

}  // namespace cefhx
