// Requests Chromium pauses for us, browser-wide so that a window's first document is seen too:
// documents (raised as "onBeforeBrowse") and resources under the filter paths (raised as
// "onBeforeResourceLoad", served from the window's answer or from disk). Every paused request is
// answered exactly once, on the browser's own session.
#pragma once

#include <json/json.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/cefhx/devtools_transport.h"

namespace cefhx {

class BrowserHost;
class HostWindow;

// What is paused: every document, and everything under a filter path; nothing else.
Json::Value interceptionPatterns(const std::vector<std::string>& filterPaths);

// A paused request of a frame of window w. Without a window (a page that is not the program's)
// the request goes on as Chromium would make it.
void onRequestPaused(BrowserHost& host, const std::shared_ptr<HostWindow>& w,
                     const Json::Value& params);

// Answers for paused requests, also those decided elsewhere (a popup's first document).
void continueRequest(DevToolsTransport& browser, const Json::Value& requestId);
void refuseRequest(DevToolsTransport& browser, const Json::Value& requestId);

}  // namespace cefhx
