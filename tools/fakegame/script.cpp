#include "tools/fakegame/script.h"

#include <charconv>
#include <optional>
#include <stdexcept>
#include <utility>

#include "platform/shared/text_lines.h"

namespace fakegame {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// Splits off the first word; the rest keeps its inner spacing.
std::string_view NextWord(std::string_view& rest) {
    rest = Trim(rest);
    const size_t end = rest.find_first_of(" \t");
    std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return word;
}

class LineReader {
public:
    LineReader(std::string_view line, size_t number) : rest_(line), line_(line), number_(number) {}

    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error("fakegame: " + what + " in step " + std::to_string(number_) +
                                 " '" + std::string(line_) + "'");
    }

    std::string_view Word() { return NextWord(rest_); }
    std::string_view Rest() const { return rest_; }
    bool Empty() const { return Trim(rest_).empty(); }

    int64_t Number(const char* name) {
        const std::string_view word = Word();
        int64_t value = 0;
        const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (word.empty() || ec != std::errc() || end != word.data() + word.size()) {
            Fail(std::string("expected a number for ") + name);
        }
        return value;
    }

    bool OptionalSync() {
        const std::string_view word = Word();
        if (word.empty()) return false;
        if (word != "sync") Fail("expected 'sync', found '" + std::string(word) + "'");
        return true;
    }

private:
    std::string_view rest_;
    std::string_view line_;
    size_t number_;
};

std::vector<uint8_t> ParseHex(LineReader& reader, std::string_view hex) {
    if (hex.size() % 2 != 0) reader.Fail("odd number of hex digits");
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        uint8_t byte = 0;
        const auto [end, ec] = std::from_chars(hex.data() + i, hex.data() + i + 2, byte, 16);
        if (ec != std::errc() || end != hex.data() + i + 2) reader.Fail("bad hex digits");
        bytes.push_back(byte);
    }
    return bytes;
}

// The steps that take nothing after their word.
std::optional<Op> BareStep(std::string_view op) {
    static constexpr std::pair<std::string_view, Op> kBare[] = {{"unwindow", Op::Unwindow},
                                                                {"quiet", Op::Quiet},
                                                                {"stay", Op::Stay},
                                                                {"quitgoodbye", Op::QuitGoodbye}};
    for (const auto& [word, bare] : kBare) {
        if (word == op) return bare;
    }
    return std::nullopt;
}

Step ParseStep(std::string_view line, size_t number) {
    LineReader reader(line, number);
    Step step;
    const std::string_view op = reader.Word();
    if (op == "link" || op == "goodbye") {
        step.op = op == "link" ? Op::Link : Op::Goodbye;
        step.sync = reader.OptionalSync();
    } else if (op == "text" || op == "textsync") {
        step.op = Op::Text;
        step.sync = op == "textsync";
        step.text = std::string(reader.Rest());
        return step;
    } else if (op == "fill") {
        step.op = Op::Fill;
        step.a = reader.Number("the count");
        const std::string_view ch = reader.Word();
        if (ch.size() != 1) reader.Fail("expected one character");
        step.text = std::string(ch);
        step.sync = reader.OptionalSync();
    } else if (op == "raw") {
        step.op = Op::Raw;
        step.a = reader.Number("the main code");
        step.b = reader.Number("the sub code");
        std::string_view next = reader.Word();
        if (!next.empty() && next != "sync") {
            step.payload = ParseHex(reader, next);
            next = reader.Word();
        }
        if (!next.empty() && next != "sync") reader.Fail("unexpected '" + std::string(next) + "'");
        step.sync = next == "sync";
    } else if (op == "bad") {
        step.op = Op::Bad;
        step.text = std::string(reader.Word());
        if (step.text != "short" && step.text != "version" && step.text != "size") {
            reader.Fail("expected short, version or size");
        }
    } else if (op == "waitfor") {
        step.op = Op::WaitFor;
        step.a = reader.Number("the main code");
        step.b = reader.Number("the sub code");
        step.c = reader.Empty() ? 1 : reader.Number("the count");
    } else if (op == "wait") {
        step.op = Op::Wait;
        step.a = reader.Number("the milliseconds");
    } else if (op == "die" || op == "quitcode") {
        step.op = op == "die" ? Op::Die : Op::QuitCode;
        step.a = reader.Number("the exit code");
    } else if (op == "pingpong" || op == "flood") {
        step.op = op == "pingpong" ? Op::PingPong : Op::Flood;
        step.a = reader.Number("the count");
        step.b = reader.Number("the text size");
    } else if (const std::optional<Op> bare = BareStep(op)) {
        step.op = *bare;
    } else {
        reader.Fail("unknown step '" + std::string(op) + "'");
    }
    if (!reader.Empty()) reader.Fail("unexpected '" + std::string(Trim(reader.Rest())) + "'");
    return step;
}

}  // namespace

std::vector<Step> ParseScript(std::string_view text, char separator) {
    std::vector<Step> steps;
    for (size_t number = 1; !text.empty(); ++number) {
        const std::string_view line = Trim(morvick::takeLine(text, separator));
        if (!line.empty() && line.front() != '#') steps.push_back(ParseStep(line, number));
    }
    return steps;
}

}  // namespace fakegame
