#include "lobby/games/game_page.h"

#include <cstdio>
#include <cstdlib>

#include "lobby/app/main.h"
#include "lobby/app/script_text.h"
#include "lobby/bindings/cef/cef_frame.h"
#include "runtime/file_system.h"
#include "runtime/json.h"
#include "runtime/trace.h"
#include "runtime/url_codec.h"

namespace lobby::games {

rt::Value fieldOf(const rt::Value& record, std::string_view name) {
    if (record.type() != rt::ValueType::Record && record.type() != rt::ValueType::Object) {
        return {};
    }
    return record.get(name);
}

int32_t intField(const rt::Value& record, std::string_view name) {
    return fieldOf(record, name).toInt();
}

std::string textField(const rt::Value& record, std::string_view name) {
    const rt::Value v = fieldOf(record, name);
    return v.isNull() ? std::string() : v.toString();
}

bool hasField(const rt::Value& record, std::string_view name) {
    return !fieldOf(record, name).isNull();
}

rt::Value callPage(cef::CefWindow& window, const std::string& function,
                   std::initializer_list<rt::Value> args) {
    return callPage(window, function, rt::Array::of(args));
}

rt::Value callPage(cef::CefWindow& window, const std::string& function, rt::Ref<rt::Array> args) {
    return callPageFunction(rt::Ref<cef::CefWindow>(&window), function, rt::Value(std::move(args)));
}

void runScript(cef::CefWindow& window, const std::string& code) {
    if (rt::Ref<cef::CefFrame> frame = mainFrameOf(rt::Ref<cef::CefWindow>(&window))) {
        frame->evalJavaScript(code);
    }
}

double numberOf(const rt::Value& value) {
    if (value.isNumber()) return value.toFloat();
    if (!value.isString()) return 0;
    const std::string text(value.str());
    return std::strtod(text.c_str(), nullptr);
}

bool isPlainNumber(std::string_view text, bool fraction) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    const size_t point = fraction ? text.find('.') : std::string_view::npos;
    auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (point == std::string_view::npos) return digits(text);
    return digits(text.substr(0, point)) && digits(text.substr(point + 1));
}

std::string jsonEscaped(std::string_view text) {
    const std::string quoted = rt::Json::stringify(rt::Value(text));
    return quoted.substr(1, quoted.size() - 2);
}

std::string queryEscaped(std::string_view text) {
    return rt::urlEncode(text);
}

std::string scriptValue(const rt::Value& value) {
    if (value.isNull() || value.isBool() || value.isNumber()) return value.toString();
    if (value.isString()) {
        const std::string text(value.str());
        return isPlainNumber(text, true) ? text : scriptString(text);
    }
    return scriptString(value.toString());
}

void enterAppFolder() {
    if (Main::appPath.empty()) return;
    try {
        rt::FileSystem::setCurrentDirectory(Main::appPath);
    } catch (const std::exception& e) {
        RT_TRACE(std::string("cannot enter the lobby folder: ") + e.what());
    }
}

}  // namespace lobby::games
