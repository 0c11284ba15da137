#include "platform/syslite/screen_size.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/syslite/settings.h"

namespace syslite {
namespace {

// The X display's size, through the X library when it is installed; the library is opened at
// run time so that the stand-in does not need it to build or start.
std::optional<ScreenSize> fromXDisplay() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return std::nullopt;
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (x11 == nullptr) return std::nullopt;
    using Open = void* (*)(const char*);
    using Close = int (*)(void*);
    using Default = int (*)(void*);
    using Measure = int (*)(void*, int);
    auto open = reinterpret_cast<Open>(dlsym(x11, "XOpenDisplay"));
    auto close = reinterpret_cast<Close>(dlsym(x11, "XCloseDisplay"));
    auto screen = reinterpret_cast<Default>(dlsym(x11, "XDefaultScreen"));
    auto width = reinterpret_cast<Measure>(dlsym(x11, "XDisplayWidth"));
    auto height = reinterpret_cast<Measure>(dlsym(x11, "XDisplayHeight"));
    std::optional<ScreenSize> size;
    if (open && close && screen && width && height) {
        if (void* dpy = open(nullptr)) {
            int s = screen(dpy);
            ScreenSize found{width(dpy, s), height(dpy, s), std::string("X display ") + display};
            close(dpy);
            if (found.width > 0 && found.height > 0) size = found;
        }
    }
    dlclose(x11);
    return size;
}

std::optional<ScreenSize> fromKernel() {
    std::error_code ec;
    std::filesystem::directory_iterator it("/sys/class/drm", ec);
    if (ec) return std::nullopt;
    for (const auto& entry : it) {
        std::ifstream status(entry.path() / "status");
        std::string state;
        if (!(status >> state) || state != "connected") continue;
        std::ifstream modes(entry.path() / "modes");
        std::string first;
        if (!std::getline(modes, first)) continue;
        if (auto size = parseScreenSize(first)) {
            size->source = "display output " + entry.path().filename().string();
            return size;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<ScreenSize> parseScreenSize(const std::string& text) {
    size_t x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    std::string w = text.substr(0, x);
    std::string h = text.substr(x + 1);
    if (w.empty() || h.empty() || w.size() > 6 || h.size() > 6) return std::nullopt;
    for (char c : w + h) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    ScreenSize size{std::stoi(w), std::stoi(h), "setting"};
    if (size.width <= 0 || size.height <= 0) return std::nullopt;
    return size;
}

ScreenSize screenSize() {
    if (std::optional<std::string> setting = Answers::instance().next("screen")) {
        if (auto size = parseScreenSize(*setting)) return *size;
    }
    if (auto size = fromXDisplay()) return *size;
    if (auto size = fromKernel()) return *size;
    return ScreenSize{1920, 1080, "default"};
}

}  // namespace syslite
