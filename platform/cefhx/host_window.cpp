#include "platform/cefhx/host_window.h"

#include <cstdio>
#include <exception>

namespace cefhx {

HostWindow::HostWindow(ml_hwnd hwnd, rt::Value object, rt::Value browser, int width, int height,
                       int flags)
    : hwnd_(hwnd), object_(std::move(object)), browser_(std::move(browser)), flags_(flags) {
    auto set = [this](WindowProperty id, rt::Value v) {
        properties_[static_cast<int>(id)] = std::move(v);
    };
    set(WindowProperty::Resizable, true);
    set(WindowProperty::MaximizeIcon, true);
    set(WindowProperty::MinimizeIcon, true);
    set(WindowProperty::Width, width);
    set(WindowProperty::Height, height);
    set(WindowProperty::Left, 0);
    set(WindowProperty::Top, 0);
    set(WindowProperty::FullScreen, (flags & kFlagFullScreen) != 0);
    set(WindowProperty::Transparent, (flags & kFlagTransparent) != 0);
    set(WindowProperty::DropTarget, false);
    set(WindowProperty::Plain, (flags & kFlagPlain) != 0);
    set(WindowProperty::Minimized, false);
    set(WindowProperty::Maximized, false);
    set(WindowProperty::Caption, (flags & kFlagNoCaption) == 0);
    set(WindowProperty::Enabled, true);
}

rt::Value HostWindow::callMember(std::string_view name,
                                 std::initializer_list<rt::Value> args) const {
    try {
        return object_.callMember(name, args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cefhx: %.*s of window %u failed: %s\n", static_cast<int>(name.size()),
                     name.data(), hwnd_, e.what());
    } catch (...) {
        std::fprintf(stderr, "cefhx: %.*s of window %u failed\n", static_cast<int>(name.size()),
                     name.data(), hwnd_);
    }
    return {};
}

rt::Value HostWindow::raise(BrowserEvent event, const rt::Value& payload,
                            const rt::Value& unregistered) const {
    if (!isRegistered(event)) return unregistered;
    return deliver(browserEventName(event), payload);
}

rt::Value HostWindow::deliver(std::string_view event, const rt::Value& payload) const {
    return callMember("onBrowserEvent", {rt::Value(event), payload});
}

void HostWindow::setEventRegistered(int id, bool on) {
    if (id > 0 && id < kBrowserEventCount) registered_[id] = on;
}

bool HostWindow::isRegistered(BrowserEvent event) const {
    return registered_[static_cast<int>(event)];
}

rt::Value HostWindow::property(WindowProperty id) const {
    int i = static_cast<int>(id);
    return i >= 0 && i < kWindowPropertyCount ? properties_[i] : rt::Value();
}

void HostWindow::setProperty(WindowProperty id, const rt::Value& v) {
    int i = static_cast<int>(id);
    if (i < 0 || i >= kWindowPropertyCount) return;
    bool isInt = id == WindowProperty::Width || id == WindowProperty::Height ||
                 id == WindowProperty::Left || id == WindowProperty::Top;
    properties_[i] = isInt ? rt::Value(v.toInt()) : rt::Value(v.toBool());
}

FrameInfo* HostWindow::frameById(std::string_view frameId) {
    for (FrameInfo& f : frames) {
        if (f.frameId == frameId) return &f;
    }
    return nullptr;
}

FrameInfo* HostWindow::frameByNumber(int id) {
    for (FrameInfo& f : frames) {
        if (f.id == id) return &f;
    }
    return nullptr;
}

FrameInfo* HostWindow::mainFrame() {
    for (FrameInfo& f : frames) {
        if (f.parentId.empty()) return &f;
    }
    return nullptr;
}

FrameInfo* HostWindow::frameByName(std::string_view name) {
    for (FrameInfo& f : frames) {
        if (!f.parentId.empty() && f.name == name) return &f;
    }
    return nullptr;
}

FrameInfo* HostWindow::frameFor(bool isMain, std::string_view name) {
    return isMain ? mainFrame() : frameByName(name);
}

FrameInfo& HostWindow::addFrame(const std::string& frameId, const std::string& parentId) {
    if (FrameInfo* existing = frameById(frameId)) {
        existing->parentId = parentId;
        return *existing;
    }
    FrameInfo info;
    info.frameId = frameId;
    info.parentId = parentId;
    info.id = nextFrameNumber_++;
    frames.push_back(std::move(info));
    return frames.back();
}

void HostWindow::removeFrame(std::string_view frameId) {
    std::erase_if(frames, [&](const FrameInfo& f) { return f.frameId == frameId; });
}

}  // namespace cefhx
