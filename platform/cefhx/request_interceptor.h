// Requests Chromium pauses for us: documents (raised as "onBeforeBrowse") and resources under
// the filter paths (raised as "onBeforeResourceLoad", served from the window's answer or from
// disk). Every paused request is answered exactly once.
#pragma once

#include <json/json.h>

#include <memory>
#include <string>
#include <vector>

namespace cefhx {

class BrowserHost;
class HostWindow;

void onRequestPaused(BrowserHost& host, const std::shared_ptr<HostWindow>& w,
                     const Json::Value& params);

}  // namespace cefhx
