#include "updater/inet_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include <fmt/format.h>

#include "updater/local_file.h"

namespace haldor {
namespace {

constexpr char kExtraHeaders[] =
    "Accept: */*\r\nUser-Agent: AutoUpdate_Quarn\r\nCache-Control: no-cache\r\n";

std::uint64_t NextId() {
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

std::string UrlPath(const std::string& path) {
    std::string out = path;
    for (auto& c : out)
        if (c == '\\') c = '/';
    return out;
}

}  // namespace

CInetFile::CInetFile(const std::string& server_address, const CUpdateFile* entry,
                     const std::string& version_)
    : address(server_address), version(version_), id_(NextId()) {
    if (!entry) return;
    std::string local = entry->local_path.empty() ? "" : UrlPath(entry->local_path) + "/";
    address = fmt::format("{}/update/{}/{}{}", server_address, version_, local,
                          UrlPath(entry->file_name));
}

CInetFile::~CInetFile() {
    Stop();
}

std::string CInetFile::MakeTargetName() const {
    return kind == kUpdateFile ? fmt::format("{}.update.{}", target_path, version) : target_path;
}

bool CInetFile::Start(bool ranged) {
    Stop();
    bytes_so_far = 0;
    ranged_ = ranged;
    ranges_started_ = false;
    reported_ = false;
    unreported_ = 0;
    progress_at_ms_ = 0;
    if (!safe) {
        Report(kTargetNotCreated);
        return false;
    }
    request_.SetExtraHeaders(kExtraHeaders);
    starting_ = true;
    bool started = request_.Start(address, this);
    starting_ = false;
    if (!started) {
        Stop();
        Report(kTransferNotStarted);
    }
    return started;
}

void CInetFile::Stop() {
    request_.Reset();
    StopRanges();
    CloseFile();
}

void CInetFile::StopRanges() {
    for (auto& range : ranges_) range.Stop();
}

void CInetFile::CloseFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool CInetFile::OpenTarget() {
    CloseFile();
    std::string name = DiskPath(MakeTargetName());
    fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0 && CreateFoldersFor(name))
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

void CInetFile::OnHeader(std::uint64_t content_length, const CHeadTranslate& header) {
    if (!ranged_) {
        if (!OpenTarget()) {
            Stop();
            Report(kTargetNotCreated);
        }
        return;
    }
    if (ranges_started_) return;
    bool has_length = header.HasContentLength();
    request_.Reset();
    if (!has_length) {
        Report(kTransferFailed);
        return;
    }
    bool sized = OpenTarget();
    sized = sized && ::ftruncate(fd_, static_cast<off_t>(content_length)) == 0;
    CloseFile();
    if (!sized) {
        Report(kTargetNotCreated);
        return;
    }
    ranges_started_ = true;
    StartRanges(content_length);
}

void CInetFile::StartRanges(std::uint64_t length) {
    auto ranges = SplitRanges(length);
    if (ranges.empty()) {
        Report(kTransferDone);
        return;
    }
    std::string save = MakeTargetName();
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (!ranges_[i].Start(address, this, ranges[i].first, ranges[i].last, save)) {
            StopRanges();
            Report(kTransferNotStarted);
            return;
        }
    }
}

void CInetFile::OnData(const char* bytes, std::size_t length) {
    if (ranged_ && !ranges_started_) return;
    if (!ranged_) {
        std::size_t written = 0;
        while (fd_ >= 0 && written < length) {
            ssize_t n = ::write(fd_, bytes + written, length - written);
            if (n <= 0) {
                Stop();
                Report(kTransferFailed);
                return;
            }
            written += static_cast<std::size_t>(n);
        }
    }
    bytes_so_far += length;
    unreported_ += length;
    if (ml_clock_now_ms() - progress_at_ms_ >= kProgressPeriodMs) FlushProgress();
}

void CInetFile::FlushProgress() {
    while (unreported_ > 0) {
        const auto piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(unreported_, 0xFFFF));
        Post(WM_TRANSFER_PROGRESS, piece);
        unreported_ -= piece;
    }
    progress_at_ms_ = ml_clock_now_ms();
}

void CInetFile::OnComplete(int stage) {
    if (stage != kBodyComplete) return;
    if (ranged_) {
        if (!ranges_started_) return;
        for (const auto& range : ranges_)
            if (!range.idle()) return;
        Report(kTransferDone);
        return;
    }
    CloseFile();
    Report(kTransferDone);
}

void CInetFile::OnFail(int) {
    if (starting_) return;
    Stop();
    Report(kTransferFailed);
}

void CInetFile::Report(TransferResult result) {
    if (reported_) return;
    reported_ = true;
    FlushProgress();
    Post(WM_TRANSFER_DONE, result);
}

void CInetFile::Post(std::uint32_t msg, std::uint32_t value) {
    if (!receiver) return;
    ml_post(receiver, msg, (static_cast<uintptr_t>(kind) << 16) | value,
            static_cast<intptr_t>(id_));
}

}  // namespace haldor
