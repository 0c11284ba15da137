#pragma once

#include <cstdint>
#include <string>

#include "updater/head_translate.h"
#include "updater/web_socket.h"

namespace haldor {

// What a CDownLoad reports to the transfer that runs it.
class IDownLoadSink {
public:
    // Codes of OnFail.
    enum FailCode : int { kFailOther = 0, kFailConnect = 1 };
    // Stages of OnComplete.
    enum Stage : int { kConnecting = 0, kHeaderArrived = 1, kBodyComplete = 2 };

    virtual void OnFail(int code) = 0;
    virtual void OnComplete(int stage) = 0;
    virtual void OnData(const char* bytes, std::size_t length) = 0;
    virtual void OnHeader(std::uint64_t content_length, const CHeadTranslate& header) = 0;
    virtual ~IDownLoadSink() = default;
};

// One GET at a time: cracks the address, sends the request, follows redirects and counts the
// body against its Content-Length.
class CDownLoad : private IWEBSocketSink {
public:
    static constexpr int kMaxRedirects = 10;

    CDownLoad();

    // Starts a GET; false when a request is running or this one cannot start (the sink has
    // then been told with OnFail).
    bool Start(const std::string& address, IDownLoadSink* sink);
    // Back to idle, the connection closed without a report.
    void Reset();
    // Header lines sent with every request, each ending in "\r\n".
    void SetExtraHeaders(std::string headers) { extra_headers_ = std::move(headers); }
    bool idle() const { return state_ == State::kIdle; }

private:
    enum class State { kIdle, kRequesting, kReceiving };

    bool Open(const std::string& address);
    void SendRequest();
    void OnConnect(int error) override;
    void OnClose(int reason) override;
    void OnData(const char* bytes, std::size_t length) override;
    void OnHeader(const char* header, std::size_t length, int status) override;
    void Fail(int code);
    void Redirect();

    State state_ = State::kIdle;
    unsigned short port_ = 80;
    std::string path_;
    std::string host_;
    std::string extra_headers_;
    std::uint64_t content_length_ = 0;
    std::uint64_t received_ = 0;
    int redirects_ = 0;
    unsigned epoch_ = 0;
    IDownLoadSink* sink_ = nullptr;
    CHeadTranslate head_;
    CWEBSocket socket_;
};

}  // namespace haldor
