#include "lobby/games/plug_packets.h"

#include <array>

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/task.h"
#include "runtime/convert.h"
#include "runtime/create.h"
#include "runtime/json.h"
#include "runtime/record.h"
#include "runtime/trace.h"

namespace lobby::games {

namespace {

constexpr std::array<std::string_view, 5> kTracedOnly = {
    "服务器连接错误,是否重新连接?", "连接超时，是否重新连接?",   "连接已断开,是否重新连接!",
    "系统异常,连接断开,是否重连?",  "长时间未继续，已退出牌桌!",
};

constexpr std::array<std::string_view, 8> kConnection = {
    "服务器连接错误,是否重新连接?",
    "房间已关闭！",
    "连接已断开,是否重新连接!",
    "系统异常,连接断开,是否重连?",
    "您的账号从其他地方登录!",
    "进入房间超时，是否重新连接?",
    "您的账户余额不足!",
    "您的可用金额不足!",
};

template <size_t N>
bool among(const std::array<std::string_view, N>& list, const std::optional<std::string>& text) {
    if (!text) return false;
    for (std::string_view item : list) {
        if (*text == item) return true;
    }
    return false;
}

}  // namespace

rt::Value pagePacketOf(std::string_view text) {
    rt::Value parsed;
    try {
        parsed = rt::Json::parse(text);
    } catch (const rt::JsonError& e) {
        RT_TRACE(std::string("game text is not JSON, dropped: ") + e.what());
        return {};
    }
    if (parsed.type() != rt::ValueType::Record) {
        RT_TRACE("game text is not a JSON object, dropped: " + std::string(text));
        return {};
    }
    return rt::Record::of(
        {{"type", parsed.get("type")}, {"tag", parsed.get("tag")}, {"body", parsed.get("body")}});
}

std::string alertPacketText(const std::optional<std::string>& message) {
    return rt::Json::stringify(
        rt::Record::of({{"type", "game"},
                        {"tag", "alert"},
                        {"body", message ? rt::Value(*message) : rt::Value()}}));
}

rt::Value userInfoRecord(rt::Value userId, rt::Value name, rt::Value gameId, rt::Value tableId,
                         rt::Value chairId, rt::Value status, rt::Value score) {
    return rt::Record::of(
        {{"userId", userId.toInt()},
         {"name", name.isNull() ? rt::Value("") : rt::Value(name.toString())},
         {"gameId", gameId.toInt()},
         {"tableId", tableId.toInt()},
         {"chairId", chairId.toInt()},
         {"status", status.toInt()},
         {"score", score.isNull() ? rt::Value("") : rt::Value(score.toString())}});
}

bool isTracedOnlyAlert(const std::optional<std::string>& message) {
    return among(kTracedOnly, message);
}

bool isConnectionAlert(const std::optional<std::string>& message) {
    return among(kConnection, message);
}

void afterCallback(cef::CefWindow& window, std::function<void(cef::CefWindow&)> step) {
    rt::WeakRef<cef::CefWindow> weak{rt::Ref<cef::CefWindow>(&window)};
    auto run = rt::functionOf("afterCallback", [weak, step](rt::Value) {
        if (rt::Ref<cef::CefWindow> target = weak.lock()) step(*target);
    });
    window.runTask(rt::create<cef::Task>(rt::Value(run), rt::Value()), 0);
}

std::string ansiText(const std::optional<std::string>& message) {
    return cef::CefApp::unicode2Ansi(message).value_or("null");
}

}  // namespace lobby::games
