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

morvick::Failure fail(int line, std::string_view source, const std::string& why) {
    return morvick::fail("script line " + std::to_string(line) + " (" + std::string(source) +
                         "): " + why);
}

morvick::Expected<rt::Value> json(int line, std::string_view source, std::string_view text) {
    try {
        return rt::Json::parse(text);
    } catch (const std::exception& e) {
        return fail(line, source, "not JSON: " + std::string(text) + ": " + e.what());
    }
}

morvick::Expected<Step> parseLine(int number, std::string_view source) {
    Step step;
    step.line = number;
    step.source = std::string(source);
    std::string_view rest = source;
    std::string_view command = word(rest);
    const auto failed = [&](const std::string& why) { return fail(number, source, why); };
    const bool windowed =
        command == "call" || command == "tray" || command == "newapp" || command == "close";
    if (windowed) {
        step.window = std::string(word(rest));
        if (step.window.empty()) return failed("the window label is missing");
    }
    if (command == "call") {
        step.kind = StepKind::Call;
        step.name = std::string(word(rest));
        if (step.name.empty()) return failed("the call name is missing");
        if (rest.empty()) {
            step.value = rt::make<rt::Array>();
        } else if (morvick::Expected<rt::Value> args = json(number, source, rest); args) {
            step.value = *args;
        } else {
            return morvick::fail(args.error());
        }
        if (!step.value.asArray()) return failed("the arguments are not a JSON array");
        return step;
    }
    if (command == "expect" || command == "mark") {
        step.kind = command == "expect" ? StepKind::Expect : StepKind::Mark;
        step.text = std::string(rest);
        if (step.text.empty()) return failed("the text is missing");
        return step;
    }
    if (command == "answer") {
        step.kind = StepKind::Answer;
        step.name = std::string(word(rest));
        if (step.name.empty() || rest.empty()) return failed("needs a name and a value");
        morvick::Expected<rt::Value> value = json(number, source, rest);
        if (!value) return morvick::fail(value.error());
        step.value = *value;
        return step;
    }
    if (command == "tray") {
        step.kind = StepKind::Tray;
        std::string_view n = word(rest);
        auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), step.number);
        if (n.empty() || ec != std::errc() || end != n.data() + n.size()) {
            return failed("the mouse message is not a number: " + std::string(n));
        }
    } else if (command == "newapp" || command == "close") {
        step.kind = command == "newapp" ? StepKind::NewApp : StepKind::Close;
    } else if (command == "quit") {
        step.kind = StepKind::Quit;
    } else {
        return failed("unknown step " + std::string(command));
    }
    if (!rest.empty()) return failed("unexpected text: " + std::string(rest));
    return step;
}

}  // namespace

morvick::Expected<std::vector<Step>> parseScript(std::string_view text) {
    std::vector<Step> steps;
    int number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        line = trim(line);
        if (line.empty() || line.front() == '#') continue;
        morvick::Expected<Step> step = parseLine(number, line);
        if (!step) return morvick::fail(step.error());
        steps.push_back(std::move(*step));
    }
    return steps;
}

}  // namespace testhost
