#pragma once

#include <cstdint>
#include <string>

#include "updater/download.h"

namespace haldor {

class CInetFile;

// One byte range of an update file, written at its offset into the pre-sized download file.
// A failed attempt is resumed from the first byte not yet written, at most twice. The disk's
// write-back of what it wrote starts every kWriteBackBytes, so the flush before the install finds
// little left to write.
class CRangeDownLoad : public IDownLoadSink {
public:
    static constexpr int kRetryLimit = 2;
    static constexpr std::uint64_t kWriteBackBytes = 4 << 20;

    ~CRangeDownLoad() override;

    // Requests bytes first ... last (inclusive); false when the request cannot start.
    bool Start(const std::string& address, CInetFile* parent, std::uint64_t first,
               std::uint64_t last, const std::string& file_path);
    // Ends the running attempt without a report.
    void Stop();
    bool idle() const { return !active_; }
    // One past the last byte written into the file, over every attempt.
    std::uint64_t written_end() const { return first_ + attempt_bytes_; }

    void OnFail(int code) override;
    void OnComplete(int stage) override;
    void OnData(const char* bytes, std::size_t length) override;
    void OnHeader(std::uint64_t content_length, const CHeadTranslate& header) override;

private:
    bool Request();
    void CloseFile();

    CInetFile* parent_ = nullptr;
    std::string address_;
    std::string file_path_;
    std::uint64_t first_ = 0;
    std::uint64_t last_ = 0;
    int retries_ = 0;
    std::uint64_t attempt_bytes_ = 0;
    std::uint64_t unflushed_ = 0;  // written since the last write-back start
    bool active_ = false;
    bool starting_ = false;
    int fd_ = -1;
    CDownLoad request_;
};

}  // namespace haldor
