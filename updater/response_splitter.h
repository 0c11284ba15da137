#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/shared/no_copy.h"

namespace haldor {

// What the bytes of a connection turn out to be.
class IResponseSink {
public:
    // A whole response head, status line to blank line, and the status it names (-1 for none).
    virtual void OnHeader(const char* header, std::size_t length, int status) = 0;
    virtual void OnData(const char* bytes, std::size_t length) = 0;

protected:
    ~IResponseSink() = default;
};

// Splits what a connection receives, in pieces of any size, into response heads (each at most
// kHeaderSize bytes, up to and including "\r\n\r\n") and the body bytes behind them, skipping the
// bytes it is told to discard first. The sink may call NextResponse or Reset from inside its
// calls; after Reset the rest of the running Feed is dropped.
class ResponseSplitter : private morvick::NoCopy {
public:
    static constexpr std::size_t kHeaderSize = 1024;

    explicit ResponseSplitter(IResponseSink* sink) : sink_(sink) {}

    // Another response comes next: a request was sent on the connection.
    void NextResponse();
    // Forgets everything, also the bytes to discard: the connection is gone.
    void Reset();
    // Skips the next `count` bytes received: the unread body of the previous response.
    void Discard(std::uint64_t count) { discard_ = count; }
    // False when a head does not fit its buffer; nothing more can be read then.
    bool Feed(const char* bytes, std::size_t length);

private:
    IResponseSink* sink_;
    char header_[kHeaderSize];
    std::size_t header_fill_ = 0;
    bool header_done_ = false;
    std::uint64_t discard_ = 0;
    unsigned generation_ = 0;
};

}  // namespace haldor
