#include "updater/download.h"

#include <fmt/format.h>

#include "updater/url.h"

namespace haldor {
namespace {

constexpr std::size_t kMaxLocation = 259;

}  // namespace

CDownLoad::CDownLoad() : socket_(this) {}

bool CDownLoad::Start(const std::string& address, IDownLoadSink* sink) {
    if (state_ != State::kIdle) return false;
    sink_ = sink;
    received_ = 0;
    redirects_ = 0;
    ++epoch_;
    return Open(address);
}

bool CDownLoad::Open(const std::string& address) {
    auto url = CrackUrl(address);
    if (!url || !socket_.Connect(url->host, url->port)) {
        Fail(IDownLoadSink::kFailOther);
        return false;
    }
    host_ = url->host;
    port_ = url->port;
    path_ = url->path;
    state_ = State::kRequesting;
    sink_->OnComplete(IDownLoadSink::kConnecting);
    return true;
}

void CDownLoad::Reset() {
    content_length_ = 0;
    received_ = 0;
    state_ = State::kIdle;
    head_.Clear();
    ++epoch_;
    socket_.Close(0);
}

void CDownLoad::Fail(int code) {
    Reset();
    sink_->OnFail(code);
}

void CDownLoad::SendRequest() {
    std::string request = fmt::format("GET {}{} HTTP/1.1\r\nHost: {}\r\n",
                                      path_.starts_with("/") ? "" : "/", path_, host_);
    request += extra_headers_;
    request += "\r\n";
    socket_.Send(request.data(), request.size());
}

void CDownLoad::OnConnect(int error) {
    if (state_ == State::kIdle) return;
    if (error) {
        Fail(IDownLoadSink::kFailConnect);
        return;
    }
    SendRequest();
}

void CDownLoad::OnClose(int reason) {
    if (reason != 1 && state_ != State::kIdle) Fail(IDownLoadSink::kFailOther);
}

void CDownLoad::OnHeader(const char* header, std::size_t length, int status) {
    if (state_ == State::kIdle) return;
    head_.Set(std::string(header, length));
    if (status == 200 || status == 206) {
        state_ = State::kReceiving;
        content_length_ = head_.ContentLength();
        received_ = 0;
        unsigned epoch = epoch_;
        sink_->OnComplete(IDownLoadSink::kHeaderArrived);
        if (epoch != epoch_) return;
        sink_->OnHeader(content_length_, head_);
        if (epoch != epoch_) return;
        // An empty body is complete with its header.
        if (content_length_ == 0 && head_.HasContentLength()) {
            Reset();
            sink_->OnComplete(IDownLoadSink::kBodyComplete);
        }
        return;
    }
    if (status == 301 || status == 302 || status == 303) {
        Redirect();
        return;
    }
    Fail(IDownLoadSink::kFailOther);
}

void CDownLoad::Redirect() {
    auto location = head_.Location();
    if (++redirects_ > kMaxRedirects || !location || location->size() > kMaxLocation) {
        Fail(IDownLoadSink::kFailOther);
        return;
    }
    // A target that would change the request line or add lines to it fails the request.
    auto target = RequestPath(*location);
    if (!target) {
        Fail(IDownLoadSink::kFailOther);
        return;
    }
    if (location->starts_with("/")) {
        path_ = *target;
        socket_.Discard(head_.ContentLength());
        SendRequest();
        return;
    }
    socket_.Close(0);
    Open(*location);
}

void CDownLoad::OnData(const char* bytes, std::size_t length) {
    if (state_ != State::kReceiving) return;
    if (head_.HasContentLength())
        length =
            static_cast<std::size_t>(std::min<std::uint64_t>(length, content_length_ - received_));
    received_ += length;
    unsigned epoch = epoch_;
    sink_->OnData(bytes, length);
    if (epoch == epoch_ && head_.HasContentLength() && received_ == content_length_) {
        Reset();
        sink_->OnComplete(IDownLoadSink::kBodyComplete);
    }
}

}  // namespace haldor
