#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/msgloop/msgloop.h"
#include "updater/download.h"
#include "updater/md5_stream.h"
#include "updater/messages.h"
#include "updater/range_download.h"
#include "updater/range_split.h"
#include "updater/update_file.h"

namespace haldor {

// One file brought from an address to a target path: whole with one GET (version file, file
// list), or, for an update file, a first GET that learns the length and then up to five byte
// ranges at once. Reports by posting WM_TRANSFER_PROGRESS and WM_TRANSFER_DONE to its receiver,
// with the transfer's id as lParam; it reports its end once. Progress goes out at the display's
// rate (at most once per kProgressPeriodMs), in messages of at most 0xFFFF bytes each, and in
// full before the end is reported. A ranged transfer hashes the file in file order while its
// ranges arrive: the bytes at the hashed end straight from the network, the ranges after it from
// the file once they join up, kHashAheadBytes per received chunk at most. The file it saves to is
// created fresh (never through a link) and removed again when the transfer fails or is abandoned.
class CInetFile : public IDownLoadSink {
public:
    static constexpr std::uint64_t kProgressPeriodMs = 16;
    static constexpr std::uint64_t kHashAheadBytes = 4 << 20;

    // For an update file `entry` names it, and the address is made from the server address,
    // the version, the entry's local path and its file name.
    CInetFile(const std::string& server_address, const CUpdateFile* entry,
              const std::string& version);
    ~CInetFile() override;

    bool Start(bool ranged);
    void Stop();
    // Where the bytes go: the download name "<target>.update.<version>" of an update file, the
    // target itself for the other kinds.
    std::string MakeTargetName() const;

    TransferKind kind = kVersionFile;
    std::string target_path;
    std::string file_name;
    std::string address;
    ml_hwnd receiver = 0;
    std::string server_key;
    std::uint64_t bytes_so_far = 0;
    std::uint64_t expected_length = 0;
    std::string expected_md5;
    FileTime file_time;
    std::string version;
    // False for an entry that must never be written (it fails like a download).
    bool safe = true;

    std::uint64_t id() const { return id_; }
    bool ranges_started() const { return ranges_started_; }
    // The MD5 of a finished ranged transfer's file, when every byte of it was hashed.
    const std::optional<std::string>& digest() const { return digest_; }

    // A range wrote the bytes at the offset.
    void OnRangeData(std::uint64_t offset, const char* bytes, std::size_t length);

    void OnFail(int code) override;
    void OnComplete(int stage) override;
    void OnData(const char* bytes, std::size_t length) override;
    void OnHeader(std::uint64_t content_length, const CHeadTranslate& header) override;

private:
    bool OpenTarget();
    void CloseFile();
    // Removes the save name when this transfer created it.
    void RemoveSaved();
    void StopRanges();
    void StartRanges(std::uint64_t length);
    void Report(TransferResult result);
    void Post(std::uint32_t msg, std::uint32_t value);
    void FlushProgress();
    // Hashes what the ranges wrote after the hashed end, `budget` bytes at most.
    void HashAhead(std::uint64_t budget);

    std::uint64_t id_;
    bool ranged_ = false;
    bool ranges_started_ = false;
    bool starting_ = false;
    bool reported_ = false;
    bool done_ = false;
    bool created_ = false;
    std::uint64_t unreported_ = 0;  // received bytes no progress message has carried yet
    std::uint64_t progress_at_ms_ = 0;
    std::vector<ByteRange> spans_;  // the ranges as asked, in file order
    Md5Stream hash_;
    std::uint64_t hashed_ = 0;  // every byte before this offset is hashed
    bool hash_failed_ = false;
    std::optional<std::string> digest_;
    int fd_ = -1;
    CDownLoad request_;
    std::array<CRangeDownLoad, kRangeCount> ranges_;
};

}  // namespace haldor
