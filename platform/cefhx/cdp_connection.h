// The DevTools connection over Chromium's pipe: NUL-terminated JSON messages on fds 3 and 4,
// read on the message loop (also inside the loop's waits), taken apart by the dispatcher.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/cefhx/devtools_dispatcher.h"
#include "platform/cefhx/devtools_transport.h"

namespace cefhx {

class CdpConnection final : public DevToolsTransport {
public:
    CdpConnection() = default;
    CdpConnection(const CdpConnection&) = delete;
    CdpConnection& operator=(const CdpConnection&) = delete;

    // Starts reading eventFd on the message loop and writing commands to commandFd.
    void open(int commandFd, int eventFd);

    void setHandlers(EventHandler onEvent, std::function<void()> onClosed) override;
    void close() override;
    bool isOpen() const override { return commandFd_ >= 0 && dispatcher_.isOpen(); }
    bool send(std::string_view method, const Json::Value& params, std::string_view sessionId,
              Reply reply = {}) override;
    uint64_t messagesHandled() const override { return dispatcher_.messagesHandled(); }

    // Reads what is there and handles every complete message (the fd watch calls this).
    void onReadable();

private:
    void hangUp();

    int commandFd_ = -1;
    int eventFd_ = -1;
    uint64_t watchId_ = 0;
    DevToolsDispatcher dispatcher_;
};

}  // namespace cefhx
