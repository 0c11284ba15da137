#include "tools/testhost/record.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

#include "runtime/array.h"
#include "runtime/json.h"
#include "runtime/object.h"
#include "runtime/record.h"

namespace testhost {

uint64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec);
}

Record::Record(const std::string& path) : startNs_(monotonicNs()) {
    if (!path.empty()) {
        file_ = std::fopen(path.c_str(), "a");
        if (!file_) {
            std::fprintf(stderr, "testhost: cannot open the record file %s: %s\n", path.c_str(),
                         std::strerror(errno));
        }
    }
    std::string first =
        "start monotonic_ns=" + std::to_string(startNs_) + " pid=" + std::to_string(getpid());
    lines_.push_back(first);
    if (file_) {
        std::fprintf(file_, "0.000 %s\n", first.c_str());
        std::fflush(file_);
    }
}

Record::~Record() {
    if (file_) std::fclose(file_);
}

Record& Record::instance() {
    // Lives until exit: primitives may run while the program's statics go.
    static Record* record =
        new Record(std::getenv("TESTHOST_RECORD") ? std::getenv("TESTHOST_RECORD") : "");
    return *record;
}

void Record::write(std::string_view kind, std::string_view window, std::string_view text) {
    std::string line(kind);
    if (!window.empty()) {
        line += " [";
        line += window;
        line += "]";
    }
    if (!text.empty()) {
        line += ' ';
        line += text;
    }
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    double ms = static_cast<double>(monotonicNs() - startNs_) / 1e6;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.3f ", ms);
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
    if (file_) {
        std::fprintf(file_, "%s%s\n", stamp, line.c_str());
        std::fflush(file_);
    }
}

size_t Record::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_.size();
}

std::optional<size_t> Record::find(std::string_view text, size_t from) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = from; i < lines_.size(); ++i) {
        if (lines_[i].find(text) != std::string::npos) return i;
    }
    return std::nullopt;
}

std::string Record::line(size_t index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return index < lines_.size() ? lines_[index] : std::string();
}

std::string describe(const rt::Value& v) {
    if (v.isString()) {
        try {
            return rt::Json::stringify(v);
        } catch (const std::exception&) {
            return "\"" + std::string(v.str()) + "\"";
        }
    }
    if (v.isFunction()) return "<function>";
    if (v.asObject()) return "<" + v.toString() + ">";
    if (v.asArray() || v.asRecord()) {
        try {
            return rt::Json::stringify(v);
        } catch (const std::exception&) {
            return v.toString();
        }
    }
    return v.toString();
}

std::string describeAll(std::span<const rt::Value> values) {
    std::string out;
    for (const rt::Value& v : values) {
        if (!out.empty()) out += ' ';
        out += describe(v);
    }
    return out;
}

std::string windowLabel(std::string_view url) {
    size_t end = url.find_first_of("?#");
    if (end != std::string_view::npos) url = url.substr(0, end);
    size_t slash = url.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? url : url.substr(slash + 1));
}

}  // namespace testhost
