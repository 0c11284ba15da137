#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/msgloop/msgloop.h"
#include "platform/shared/no_copy.h"
#include "updater/response_splitter.h"

namespace haldor {

// What a CWEBSocket reports, from inside its socket messages: the connection's state, and the
// response heads and body bytes it receives.
class IWEBSocketSink : public IResponseSink {
public:
    virtual void OnConnect(int error) = 0;
    virtual void OnClose(int reason) = 0;

protected:
    ~IWEBSocketSink() = default;
};

// One non-blocking TCP connection whose events arrive as messages to a hidden window, split into
// response headers (at most 1024 bytes each) and body bytes.
class CWEBSocket : private morvick::NoCopy {
public:
    static constexpr std::size_t kHeaderSize = ResponseSplitter::kHeaderSize;
    static constexpr std::size_t kReadSize = 64 * 1024;
    // Close reasons that reach the sink.
    static constexpr int kReasonError = 4;

    explicit CWEBSocket(IWEBSocketSink* sink);
    ~CWEBSocket();

    // Starts connecting to an IPv4 address or a host name; false when that cannot start.
    bool Connect(const std::string& host, unsigned short port);
    // Sends a request on the connection; what the socket does not take at once is queued.
    bool Send(const char* bytes, std::size_t length);
    // Skips the next `count` bytes received: the unread body of the previous response.
    void Discard(std::uint64_t count) { splitter_.Discard(count); }
    // Closes the connection; a reason other than 0 is reported to the sink.
    void Close(int reason);
    bool connected() const { return connected_; }

private:
    static intptr_t Procedure(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                              void* user);
    void OnSocketEvent(uintptr_t fd, intptr_t lparam);
    void OnReceive();
    void SendQueue();

    IWEBSocketSink* sink_;
    int fd_ = -1;
    ml_hwnd window_ = 0;
    bool connected_ = false;
    ResponseSplitter splitter_;
    unsigned requests_ = 0;
    std::string queue_;
};

}  // namespace haldor
