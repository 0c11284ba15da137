#include "platform/cefhx/tour_script.h"

#include <charconv>

#include "platform/shared/system_messages.h"

namespace cefhx {
namespace {

// Longest pause a step may ask for: a day.
constexpr unsigned kMaxPauseMs = 86400000;
// The mouse messages a tray icon reports.
constexpr int kFirstMouseMessage = SYSMSG_MOUSE_MOVE;
constexpr int kLastMouseMessage = SYSMSG_MOUSE_MBUTTONDBLCLK;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Takes the first blank-separated word off `rest`; the rest keeps no leading blanks.
std::string_view takeWord(std::string_view& rest) {
    size_t end = 0;
    while (end < rest.size() && !isBlank(rest[end])) ++end;
    std::string_view word = rest.substr(0, end);
    rest = trim(rest.substr(end));
    return word;
}

// What is wrong with a screenshot name, or empty when it is a plain file name.
std::string badShotName(std::string_view name) {
    if (name.empty()) return "shot needs a name";
    if (name.find('/') != std::string_view::npos) return "shot name contains '/'";
    if (name.find("..") != std::string_view::npos) return "shot name contains '..'";
    if (name.find('\0') != std::string_view::npos) return "shot name contains a NUL byte";
    if (name == ".") return "shot name is '.'";
    return {};
}

// Fills `step` from one non-blank, non-comment line; answers what is wrong, or empty.
std::string parseStep(std::string_view line, TourStep& step) {
    std::string_view rest = line;
    std::string_view command = takeWord(rest);
    if (command == "pause") {
        std::string_view ms = takeWord(rest);
        if (ms.empty()) return "pause needs a number of milliseconds";
        if (!rest.empty()) return "pause takes one number, got more after it";
        unsigned value = 0;
        auto [end, ec] = std::from_chars(ms.data(), ms.data() + ms.size(), value);
        if (ec != std::errc() || end != ms.data() + ms.size() || value > kMaxPauseMs) {
            return "pause needs milliseconds from 0 to " + std::to_string(kMaxPauseMs) +
                   ", got \"" + std::string(ms) + "\"";
        }
        step.kind = TourStepKind::Pause;
        step.pauseMs = value;
        return {};
    }
    if (command == "menu" || command == "box") {
        if (rest.empty()) {
            return command == "menu" ? "menu needs an item's label or id" : "box needs a button";
        }
        step.kind = command == "menu" ? TourStepKind::Menu : TourStepKind::Box;
        step.target = std::string(rest);
        return {};
    }
    if (command == "wait") {
        step.kind = TourStepKind::Wait;
    } else if (command == "click") {
        step.kind = TourStepKind::Click;
    } else if (command == "fill") {
        step.kind = TourStepKind::Fill;
    } else if (command == "shot") {
        step.kind = TourStepKind::Shot;
    } else if (command == "tray") {
        step.kind = TourStepKind::Tray;
    } else {
        return "unknown step \"" + std::string(command) + "\"";
    }
    step.window = std::string(takeWord(rest));
    if (step.window.empty()) return std::string(command) + " needs a window";
    switch (step.kind) {
        case TourStepKind::Wait:
            if (rest.empty()) return "wait needs a JavaScript expression";
            step.target = std::string(rest);
            break;
        case TourStepKind::Click:
            if (rest.empty()) return "click needs a CSS selector";
            step.target = std::string(rest);
            break;
        case TourStepKind::Fill:
            step.target = std::string(takeWord(rest));
            if (step.target.empty()) return "fill needs a CSS selector";
            if (rest.empty()) return "fill needs a text after the selector";
            step.value = std::string(rest);
            break;
        case TourStepKind::Shot:
            if (std::string why = badShotName(rest); !why.empty()) return why;
            step.target = std::string(rest);
            break;
        case TourStepKind::Tray: {
            std::string_view number = takeWord(rest);
            int value = 0;
            auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
            if (number.empty() || !rest.empty() || ec != std::errc() ||
                end != number.data() + number.size() || value < kFirstMouseMessage ||
                value > kLastMouseMessage) {
                return "tray needs a mouse message from " + std::to_string(kFirstMouseMessage) +
                       " to " + std::to_string(kLastMouseMessage) + ", got \"" +
                       std::string(number) + "\"";
            }
            step.mouseMessage = value;
            break;
        }
        case TourStepKind::Pause:
        case TourStepKind::Menu:
        case TourStepKind::Box:
            break;
    }
    return {};
}

}  // namespace

TourScript parseTour(std::string_view text) {
    TourScript script;
    int number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        std::string_view line = trim(raw);
        if (line.empty() || line.front() == '#') continue;
        TourStep step;
        step.line = number;
        step.text = std::string(line);
        if (std::string why = parseStep(line, step); !why.empty()) {
            script.steps.clear();
            script.errorLine = number;
            script.errorText = step.text;
            script.error = why;
            return script;
        }
        script.steps.push_back(std::move(step));
    }
    return script;
}

std::string windowLabel(std::string_view address) {
    address = address.substr(0, address.find('#'));
    address = address.substr(0, address.find('?'));
    size_t slash = address.rfind('/');
    return std::string(slash == std::string_view::npos ? address : address.substr(slash + 1));
}

}  // namespace cefhx
