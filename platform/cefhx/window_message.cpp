#include "platform/cefhx/window_message.h"

#include "platform/cefhx/window_messages.h"

namespace cefhx {
namespace {

WindowMessage member(const char* name) {
    WindowMessage m;
    m.kind = WindowMessage::Kind::Member;
    m.member = name;
    return m;
}

WindowMessage system(std::string kind, rt::Value a, rt::Value b) {
    WindowMessage m;
    m.kind = WindowMessage::Kind::System;
    m.systemKind = std::move(kind);
    m.a = std::move(a);
    m.b = std::move(b);
    return m;
}

}  // namespace

WindowMessage decodeWindowMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    switch (msg) {
        case kSizedMessage:
            return member("on_size");
        case kMaximizedMessage:
            return member("on_maximize");
        case kMinimizedMessage:
            return member("on_minimize");
        case kRestoredMessage:
            return member("on_restore");
        case kFullScreenMessage:
            return member("on_fullscreen");
        case kTrayMessage:
            return system("tray", static_cast<int32_t>(wparam), static_cast<int32_t>(lparam));
        case kHotKeyMessage:
            return system("hotkey", static_cast<int32_t>(wparam), static_cast<int32_t>(lparam));
        case kNewAppMessage:
            return system("newapp", rt::Value(), rt::Value());
        case ML_WM_COPYDATA: {
            const auto* block = reinterpret_cast<const ml_copydata*>(lparam);
            std::string text(static_cast<const char*>(block->ptr), block->size);
            return system(std::move(text), static_cast<int32_t>(block->data), rt::Value());
        }
        case ML_WM_CLOSE: {
            WindowMessage m;
            m.kind = WindowMessage::Kind::Close;
            return m;
        }
        default:
            return {};
    }
}

}  // namespace cefhx
