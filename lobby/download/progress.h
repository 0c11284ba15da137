#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "lobby/download/progress_list.h"
#include "runtime/http_sink.h"
#include "runtime/md5.h"

namespace download {

// The progress record of one file job: what its snapshots copy, and the file's state. Written by
// the job's worker only.
struct ProgressRecord : ProgressSnapshot {
    int32_t state = 0;
};

// A local file opened for writing raw bytes (truncating), with the MD5 digest of what was written;
// closed on close() or destruction.
class FileOutput {
public:
    explicit FileOutput(const std::string& path);
    ~FileOutput();
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    size_t writeBytes(const uint8_t* data, size_t length);
    void writeByte(uint8_t byte);
    void close();
    // The digest of every byte written so far.
    std::string digest() { return md5_.hex(); }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    rt::Md5 md5_;
};

// Meters the body of one file download as the HTTP client writes it into the wrapped output,
// keeps the job's progress record up to date and puts snapshots on the progress list.
class Progress final : public rt::HttpSink {
public:
    Progress(FileOutput& output, ProgressRecord& infoObj, ProgressList& list);

    void prepare(int64_t length) override;
    size_t writeBytes(const uint8_t* data, size_t length) override;
    void writeByte(uint8_t byte) override;
    void close();
    void bytes(int64_t n);

    // Whether the response announced its length.
    bool prepared() const { return prepared_; }
    int64_t cur() const { return cur_; }
    int64_t max() const { return max_; }

private:
    void snapshot();

    ProgressRecord& infoObj_;
    double start_;
    int64_t max_ = 0;
    int64_t cur_ = 0;
    bool prepared_ = false;
    FileOutput& o_;
    ProgressList& list_;
};

}  // namespace download
