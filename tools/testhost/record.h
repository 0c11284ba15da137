// The record of a test-host run: one readable line for every call the program makes into the
// host, every event and system message the host delivers, and every step the script plays.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace testhost {

// Lines are "<ms since start> <kind> [<window>] <text>" in the file; the first line is
// "0.000 start monotonic_ns=<clock at start> pid=<pid>", so a reader can place every line on the
// machine's monotonic clock. Any thread may write.
class Record {
public:
    // Lines are appended to the file `path` names as well; an empty path keeps them in memory
    // only.
    explicit Record(const std::string& path = {});
    ~Record();
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    // The host's record, written to the file TESTHOST_RECORD names.
    static Record& instance();

    // Writes one line. `window` is the window's label, empty for calls that name no window.
    void write(std::string_view kind, std::string_view window, std::string_view text);

    // The lines written so far, without their time, in order.
    size_t size() const;
    // The index of the first line at or after `from` that contains `text`.
    std::optional<size_t> find(std::string_view text, size_t from) const;
    std::string line(size_t index) const;

    uint64_t startNs() const { return startNs_; }

private:
    mutable std::mutex mutex_;
    uint64_t startNs_;
    std::FILE* file_ = nullptr;
    std::vector<std::string> lines_;
};

// The readable form of a value in a record line: null, true, 12, "text", JSON for arrays and
// records, <Class> for an object, <function> for a function.
std::string describe(const rt::Value& v);
// The values separated by spaces.
std::string describeAll(std::span<const rt::Value> values);

// The label by which records and scripts name a window: the last part of its page address
// without query or fragment ("lobby.html" for ".../resource/lobby.html?x=1").
std::string windowLabel(std::string_view url);

uint64_t monotonicNs();

}  // namespace testhost
