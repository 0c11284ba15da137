#include "tools/testhttp/fault_rule.h"

#include <charconv>
#include <stdexcept>

#include "platform/shared/text_lines.h"

namespace testhttp {

namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

template <typename T>
T number(std::string_view word, std::string_view line, const char* what) {
    if (word.starts_with('+')) word.remove_prefix(1);
    T value{};
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || ec != std::errc() || end != word.data() + word.size())
        throw std::invalid_argument("fault rule '" + std::string(line) + "': " + what + " '" +
                                    std::string(word) + "' is not a number");
    return value;
}

Fault parseKind(const std::vector<std::string_view>& w, size_t& i, std::string_view line) {
    std::string_view kind = w[i++];
    auto arg = [&](const char* what) {
        if (i >= w.size() || w[i].find('=') != std::string_view::npos)
            throw std::invalid_argument("fault rule '" + std::string(line) + "': '" +
                                        std::string(kind) + "' needs " + what);
        return w[i++];
    };
    using std::chrono::milliseconds;
    if (kind == "status") return Fault::answerStatus(number<int>(arg("a status"), line, "status"));
    if (kind == "redirect") {
        int status = number<int>(arg("a status"), line, "status");
        return Fault::redirect(status, std::string(arg("a location")));
    }
    if (kind == "drop-after")
        return Fault::dropAfter(number<uint64_t>(arg("a byte count"), line, "byte count"));
    if (kind == "stall") return Fault::stall();
    if (kind == "pause-headers")
        return Fault::pauseBeforeHeaders(
            milliseconds(number<int64_t>(arg("milliseconds"), line, "pause")));
    if (kind == "pause-body") {
        uint64_t bytes = number<uint64_t>(arg("a byte count"), line, "byte count");
        return Fault::pauseMidBody(
            bytes, milliseconds(number<int64_t>(arg("milliseconds"), line, "pause")));
    }
    if (kind == "content-length")
        return Fault::wrongContentLength(number<int64_t>(arg("a delta"), line, "delta"));
    if (kind == "no-content-length") return Fault::noContentLength();
    if (kind == "ignore-range") return Fault::ignoreRange();
    if (kind == "content-range")
        return Fault::wrongContentRange(number<int64_t>(arg("a shift"), line, "shift"));
    if (kind == "slow") return Fault::slowBody(number<uint64_t>(arg("a rate"), line, "rate"));
    if (kind == "error-page") return Fault::errorPage();
    if (kind == "big-header")
        return Fault::oversizedHeader(number<uint64_t>(arg("a byte count"), line, "byte count"));
    if (kind == "split-header") {
        uint64_t bytes = number<uint64_t>(arg("a byte count"), line, "byte count");
        return Fault::splitHeader(
            bytes, milliseconds(number<int64_t>(arg("milliseconds"), line, "pause")));
    }
    if (kind == "raw") return Fault::rawAnswer(unescapeBytes(arg("the answer's bytes")));
    throw std::invalid_argument("fault rule '" + std::string(line) + "': unknown fault '" +
                                std::string(kind) + "'");
}

// The rule, or std::invalid_argument (from here or from the fault's own checks) saying what is
// wrong with it.
FaultRule readFaultRule(std::string_view line) {
    std::vector<std::string_view> w = words(line);
    if (w.size() < 2)
        throw std::invalid_argument("fault rule '" + std::string(line) +
                                    "': expected '<path> <fault> [arguments]'");
    if (!w[0].starts_with('/'))
        throw std::invalid_argument("fault rule '" + std::string(line) + "': path '" +
                                    std::string(w[0]) + "' does not start with '/'");
    FaultRule rule;
    try {
        rule.path = percentDecode(w[0]);
    } catch (const BadRequest& e) {
        throw std::invalid_argument("fault rule '" + std::string(line) + "': " + e.what());
    }
    size_t i = 1;
    try {
        rule.fault = parseKind(w, i, line);
        for (; i < w.size(); ++i) {
            if (w[i].starts_with("nth=")) {
                rule.fault = rule.fault.onRequest(number<int>(w[i].substr(4), line, "nth"));
            } else if (w[i].starts_with("range-start=")) {
                rule.fault = rule.fault.forRangeStart(
                    number<uint64_t>(w[i].substr(12), line, "range start"));
            } else {
                throw std::invalid_argument("fault rule '" + std::string(line) + "': unexpected '" +
                                            std::string(w[i]) + "'");
            }
        }
    } catch (const std::invalid_argument& e) {
        std::string what = e.what();
        if (what.starts_with("fault rule")) throw;
        throw std::invalid_argument("fault rule '" + std::string(line) + "': " + what);
    }
    return rule;
}

}  // namespace

morvick::Expected<FaultRule> parseFaultRule(std::string_view line) {
    try {
        return readFaultRule(line);
    } catch (const std::invalid_argument& e) {
        return morvick::fail(e.what());
    }
}

morvick::Expected<std::vector<FaultRule>> parseFaultRules(std::string_view text) {
    std::vector<FaultRule> rules;
    for (int lineNo = 1; !text.empty(); ++lineNo) {
        const std::string_view line = morvick::takeLine(text);
        std::vector<std::string_view> w = words(line);
        if (w.empty() || w[0].starts_with('#')) continue;
        morvick::Expected<FaultRule> rule = parseFaultRule(line);
        if (!rule) return morvick::fail("line " + std::to_string(lineNo) + ": " + rule.error());
        rules.push_back(std::move(*rule));
    }
    return rules;
}

}  // namespace testhttp
