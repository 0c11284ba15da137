#include "updater/range_download.h"

#include <fcntl.h>
#include <unistd.h>

#include <fmt/format.h>

#include "updater/inet_file.h"
#include "updater/local_file.h"

namespace haldor {

CRangeDownLoad::~CRangeDownLoad() {
    CloseFile();
}

bool CRangeDownLoad::Start(const std::string& address, CInetFile* parent, std::uint64_t first,
                           std::uint64_t last, const std::string& file_path) {
    address_ = address;
    parent_ = parent;
    first_ = first;
    last_ = last;
    file_path_ = file_path;
    retries_ = 0;
    active_ = true;
    if (!Request()) {
        Stop();
        return false;
    }
    return true;
}

bool CRangeDownLoad::Request() {
    request_.Reset();
    CloseFile();
    attempt_bytes_ = 0;
    unflushed_ = 0;
    request_.SetExtraHeaders(
        fmt::format("Accept: */*\r\nUser-Agent: AutoUpdate_Quarn\r\nRange: bytes={}-{}\r\n"
                    "Cache-Control: no-cache\r\n",
                    first_, last_));
    starting_ = true;
    bool started = request_.Start(address_, this);
    starting_ = false;
    return started;
}

void CRangeDownLoad::Stop() {
    request_.Reset();
    CloseFile();
    active_ = false;
}

void CRangeDownLoad::CloseFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void CRangeDownLoad::OnHeader(std::uint64_t content_length, const CHeadTranslate& header) {
    if (!active_) return;
    // Only the asked bytes may be written at this range's place in the file.
    auto range = header.Range();
    if (header.StatusCode() != 206 || !range || range->first != first_ || range->last != last_ ||
        content_length != last_ - first_ + 1) {
        OnFail(kFailOther);
        return;
    }
    CloseFile();
    fd_ = ::open(DiskPath(file_path_).c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) {
        Stop();
        parent_->OnFail(2);
        return;
    }
    parent_->OnHeader(content_length, header);
}

void CRangeDownLoad::OnData(const char* bytes, std::size_t length) {
    if (!active_ || fd_ < 0) return;
    std::size_t written = 0;
    while (written < length) {
        ssize_t n = ::pwrite(fd_, bytes + written, length - written,
                             static_cast<off_t>(first_ + attempt_bytes_ + written));
        if (n <= 0) {
            Stop();
            parent_->OnFail(kFailOther);
            return;
        }
        written += static_cast<std::size_t>(n);
    }
    const std::uint64_t offset = first_ + attempt_bytes_;
    attempt_bytes_ += length;
    unflushed_ += length;
    if (unflushed_ >= kWriteBackBytes) {
        // Advisory: a failure leaves the pages to the final flush.
        const std::uint64_t end = first_ + attempt_bytes_;
        ::sync_file_range(fd_, static_cast<off_t>(end - unflushed_), static_cast<off_t>(unflushed_),
                          SYNC_FILE_RANGE_WRITE);
        unflushed_ = 0;
    }
    parent_->OnRangeData(offset, bytes, length);
}

void CRangeDownLoad::OnComplete(int stage) {
    if (stage != kBodyComplete || !active_) return;
    Stop();
    parent_->OnComplete(kBodyComplete);
}

void CRangeDownLoad::OnFail(int code) {
    if (starting_ || !active_) return;
    if (retries_ < kRetryLimit) {
        ++retries_;
        first_ += attempt_bytes_;
        if (Request()) return;
    }
    Stop();
    parent_->OnFail(code);
}

}  // namespace haldor
