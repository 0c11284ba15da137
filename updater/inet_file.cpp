#include "updater/inet_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include <fmt/format.h>

#include "updater/local_file.h"

namespace haldor {
namespace {

constexpr char kExtraHeaders[] =
    "Accept: */*\r\nUser-Agent: AutoUpdate_Quarn\r\nCache-Control: no-cache\r\n";

// A version file or file list larger than this is no manifest; it is read into memory whole.
constexpr std::uint64_t kMaxWholeLength = 16 * 1024 * 1024;

int CreateExclusive(const std::string& name) {
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

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
    // An abandoned transfer leaves no partial file behind.
    if (!done_) RemoveSaved();
}

void CInetFile::RemoveSaved() {
    if (!created_) return;
    ::unlink(DiskPath(MakeTargetName()).c_str());
    created_ = false;
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
    done_ = false;
    unreported_ = 0;
    progress_at_ms_ = 0;
    spans_.clear();
    digest_.reset();
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

// The save name is made anew: whatever is at that name (an earlier attempt's file, or a link
// somebody put there) is removed first, and the file is created only when nothing took the name
// meanwhile, so the bytes never go through a link to another place.
bool CInetFile::OpenTarget() {
    CloseFile();
    std::string name = DiskPath(MakeTargetName());
    ::unlink(name.c_str());
    fd_ = CreateExclusive(name);
    if (fd_ < 0 && errno == ENOENT && CreateFoldersFor(name)) fd_ = CreateExclusive(name);
    created_ = fd_ >= 0;
    return created_;
}

void CInetFile::OnHeader(std::uint64_t content_length, const CHeadTranslate& header) {
    if (!ranged_) {
        if (content_length > kMaxWholeLength) {
            Stop();
            Report(kTransferFailed);
            return;
        }
        if (!OpenTarget()) {
            Stop();
            Report(kTargetNotCreated);
        }
        return;
    }
    if (ranges_started_) return;
    bool has_length = header.HasContentLength();
    request_.Reset();
    // The file is sized by the manifest's length; a server that announces another fails before
    // anything is written.
    if (!has_length || content_length != expected_length) {
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
    spans_ = ranges;
    hash_.Reset();
    hashed_ = 0;
    hash_failed_ = false;
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
        if (bytes_so_far + length > kMaxWholeLength) {
            Stop();
            Report(kTransferFailed);
            return;
        }
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

void CInetFile::OnRangeData(std::uint64_t offset, const char* bytes, std::size_t length) {
    if (ranges_started_ && !hash_failed_) {
        if (offset == hashed_) {
            hash_failed_ = !hash_.Update(bytes, length);
            hashed_ += length;
        }
        HashAhead(kHashAheadBytes);
    }
    OnData(bytes, length);
}

void CInetFile::HashAhead(std::uint64_t budget) {
    int fd = -1;
    std::vector<char> buffer;
    for (std::size_t i = 0; i < spans_.size() && budget > 0 && !hash_failed_; ++i) {
        if (hashed_ > spans_[i].last) continue;
        const std::uint64_t end = std::min(ranges_[i].written_end(), spans_[i].last + 1);
        if (fd < 0 && end > hashed_) {
            fd = ::open(DiskPath(MakeTargetName()).c_str(), O_RDONLY | O_CLOEXEC);
            hash_failed_ = fd < 0;
            buffer.resize(1 << 20);
        }
        while (!hash_failed_ && hashed_ < end && budget > 0) {
            const std::size_t want = static_cast<std::size_t>(
                std::min<std::uint64_t>({end - hashed_, budget, buffer.size()}));
            const ssize_t n = ::pread(fd, buffer.data(), want, static_cast<off_t>(hashed_));
            hash_failed_ = n <= 0 || !hash_.Update(buffer.data(), static_cast<std::size_t>(n));
            if (hash_failed_) break;
            hashed_ += static_cast<std::uint64_t>(n);
            budget -= static_cast<std::uint64_t>(n);
        }
        // A range still receiving holds back the ranges after it.
        if (hashed_ <= spans_[i].last) break;
    }
    if (fd >= 0) ::close(fd);
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
        HashAhead(UINT64_MAX);
        if (!hash_failed_ && !spans_.empty() && hashed_ == spans_.back().last + 1)
            digest_ = hash_.Finish();
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
    done_ = result == kTransferDone;
    if (!done_) RemoveSaved();
    Post(WM_TRANSFER_DONE, result);
}

void CInetFile::Post(std::uint32_t msg, std::uint32_t value) {
    if (!receiver) return;
    ml_post(receiver, msg, (static_cast<uintptr_t>(kind) << 16) | value,
            static_cast<intptr_t>(id_));
}

}  // namespace haldor
