#include "tools/testhost/script.h"

#include <cctype>
#include <charconv>
#include <exception>
#include <stdexcept>

#include "runtime/array.h"
#include "runtime/json.h"

namespace testhost {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// Takes the first word off `rest`.
std::string_view word(std::string_view& rest) {
    rest = trim(rest);
    size_t end = 0;
    while (end < rest.size() && !std::isspace(static_cast<unsigned char>(rest[end]))) ++end;
    std::string_view w = rest.substr(0, end);
    rest = trim(rest.substr(end));
    return w;
}

[[noreturn]] void fail(int line, std::string_view source, const std::string& why) {
    throw std::runtime_error("script line " + std::to_string(line) + " (" + std::string(source) +
                             "): " + why);
}

rt::Value json(int line, std::string_view source, std::string_view text) {
    try {
        return rt::Json::parse(text);
    } catch (const std::exception& e) {
        fail(line, source, "not JSON: " + std::string(text) + ": " + e.what());
    }
}

Step parseLine(int number, std::string_view source) {
    Step step;
    step.line = number;
    step.source = std::string(source);
    std::string_view rest = source;
    std::string_view command = word(rest);
    auto needWindow = [&] {
        step.window = std::string(word(rest));
        if (step.window.empty()) fail(number, source, "the window label is missing");
    };
    auto noMore = [&] {
        if (!rest.empty()) fail(number, source, "unexpected text: " + std::string(rest));
    };
    if (command == "call") {
        step.kind = StepKind::Call;
        needWindow();
        step.name = std::string(word(rest));
        if (step.name.empty()) fail(number, source, "the call name is missing");
        step.value = rest.empty() ? rt::Value(rt::make<rt::Array>()) : json(number, source, rest);
        if (!step.value.asArray()) fail(number, source, "the arguments are not a JSON array");
    } else if (command == "expect" || command == "mark") {
        step.kind = command == "expect" ? StepKind::Expect : StepKind::Mark;
        step.text = std::string(rest);
        if (step.text.empty()) fail(number, source, "the text is missing");
    } else if (command == "answer") {
        step.kind = StepKind::Answer;
        step.name = std::string(word(rest));
        if (step.name.empty() || rest.empty()) fail(number, source, "needs a name and a value");
        step.value = json(number, source, rest);
    } else if (command == "tray") {
        step.kind = StepKind::Tray;
        needWindow();
        std::string_view n = word(rest);
        auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), step.number);
        if (n.empty() || ec != std::errc() || end != n.data() + n.size()) {
            fail(number, source, "the mouse message is not a number: " + std::string(n));
        }
        noMore();
    } else if (command == "newapp" || command == "close") {
        step.kind = command == "newapp" ? StepKind::NewApp : StepKind::Close;
        needWindow();
        noMore();
    } else if (command == "quit") {
        step.kind = StepKind::Quit;
        noMore();
    } else {
        fail(number, source, "unknown step " + std::string(command));
    }
    return step;
}

}  // namespace

std::vector<Step> parseScript(std::string_view text) {
    std::vector<Step> steps;
    int number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        line = trim(line);
        if (line.empty() || line.front() == '#') continue;
        steps.push_back(parseLine(number, line));
    }
    return steps;
}

}  // namespace testhost
