// The DevTools events of a window's page turned into the browser events the program registered:
// frames, loads, addresses, script contexts, titles, dialogs and a crashed renderer. Paused
// requests and page calls go on to their own pieces.
#pragma once

#include <json/json.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/cefhx/devtools_transport.h"
#include "platform/cefhx/host_window.h"

namespace cefhx {

class PageEvents {
public:
    struct Hooks {
        // A command on the window's page session without waiting; false when it has none.
        std::function<bool(HostWindow& w, const std::string& method, const Json::Value& params,
                           DevToolsTransport::Reply reply)>
            sendToPage;
        // Fetch.requestPaused and Runtime.bindingCalled of the window's page.
        std::function<void(const std::shared_ptr<HostWindow>&, const Json::Value& params)>
            requestPaused;
        std::function<void(const std::shared_ptr<HostWindow>&, const Json::Value& params)>
            bindingCalled;
        // The window's main frame stopped loading the address url.
        std::function<void(const std::shared_ptr<HostWindow>&, const std::string& url)>
            mainFrameLoaded;
        // Chromium reported a page title of the window (it writes it on the window's frame).
        std::function<void(HostWindow&)> titleReported;
    };

    // The page title the host sets for a moment to find a window's X window; never reported.
    static constexpr const char* kTitleTokenPrefix = "cefhx-window-";

    explicit PageEvents(Hooks hooks) : hooks_(std::move(hooks)) {}

    // A message of the window's page session.
    void onPageEvent(const std::shared_ptr<HostWindow>& w, const std::string& method,
                     const Json::Value& params);
    // Target.targetInfoChanged of the window's target.
    void onTargetInfoChanged(const std::shared_ptr<HostWindow>& w, const Json::Value& info);

private:
    void onFrameNavigated(const std::shared_ptr<HostWindow>& w, const Json::Value& params);
    void onDialog(const std::shared_ptr<HostWindow>& w, const Json::Value& params);

    Hooks hooks_;
};

}  // namespace cefhx
