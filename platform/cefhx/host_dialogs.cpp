#include "platform/cefhx/host_dialogs.h"

#include <poll.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>

#include "platform/cefhx/browser_host.h"
#include "platform/shared/host_windows.h"
#include "runtime/class_builder.h"
#include "runtime/create.h"
#include "runtime/record.h"

namespace cefhx {

namespace fs = std::filesystem;

// The window object of a box or menu: it takes the page's one answer, if it is one the window
// offers, and notes when the window goes.
class DialogWindow final : public rt::Object {
    RT_CLASS(DialogWindow)
public:
    std::string url;
    std::string answerCall;
    std::vector<int> offered;
    std::optional<int> answer;
    bool gone = false;

    bool done() const { return answer.has_value() || gone; }

protected:
    // The host's other calls (on_size, on_task, ...) have nothing to do here.
    rt::Value callMissing(std::string_view, std::span<const rt::Value>) override { return {}; }
};

const rt::ClassInfo& DialogWindow::staticClassInfo() {
    using Args = std::span<const rt::Value>;
    static const rt::ClassInfo& info =
        rt::ClassBuilder<DialogWindow>("cefhx.DialogWindow")
            .field("url", &DialogWindow::url)
            .method("on_close", [](DialogWindow&, Args) { return rt::Value(true); })
            .method("on_destroy",
                    [](DialogWindow& d, Args) {
                        d.gone = true;
                        return rt::Value();
                    })
            .method("on_jscall",
                    [](DialogWindow& d, Args a) {
                        rt::Ref<rt::Array> args = a.size() > 1 ? a[1].asArray() : nullptr;
                        if (d.answer || a.empty() || !a[0].isString() ||
                            a[0].str() != d.answerCall || !args || args->size() != 1 ||
                            !args->items()[0].isNumber()) {
                            return rt::Value();
                        }
                        const double n = args->items()[0].toFloat();
                        for (int offered : d.offered) {
                            if (n == offered) d.answer = offered;
                        }
                        return rt::Value();
                    })
            .method("onSystemMessage", [](DialogWindow&, Args) { return rt::Value(true); })
            .constructor()
            .build();
    return info;
}

namespace {

BrowserHost* g_host = nullptr;
fs::path g_folder;
int g_pages = 0;

void logLine(const std::string& line) {
    std::fprintf(stderr, "cefhx: %s\n", line.c_str());
}

bool isDialog(const HostWindow& w) {
    return w.object().as<DialogWindow>() != nullptr;
}

// A private folder for the generated pages: $XDG_RUNTIME_DIR, else /tmp.
fs::path makeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    fs::path base = runtime && *runtime && fs::is_directory(runtime, ec) ? runtime : "/tmp";
    std::string pattern = (base / "cefhx-dialogs-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return {};
    return pattern;
}

// The program window a box belongs to: the one the window manager names active, else the newest
// shown one; dialogs never own dialogs.
std::shared_ptr<HostWindow> boxOwner(BrowserHost& host) {
    const XWindowId active = host.desktop()->activeWindow();
    std::shared_ptr<HostWindow> newest;
    for (const auto& w : host.windows()) {
        if (w->destroying || !w->visible || isDialog(*w) ||
            w->flagProperty(WindowProperty::Minimized)) {
            continue;
        }
        if (active && w->xWindow == active) return w;
        if (!newest || w->hwnd() > newest->hwnd()) newest = w;
    }
    return newest;
}

// A top-left corner that keeps width x height on the screen.
std::pair<int, int> onScreen(const BrowserHost& host, int left, int top, int width, int height) {
    const ChromiumOptions& o = host.options();
    return {std::clamp(left, 0, std::max(0, o.screenWidth - width)),
            std::clamp(top, 0, std::max(0, o.screenHeight - height))};
}

// Centred on the owner's client area (a little above the middle), else on the screen.
std::pair<int, int> boxPlace(BrowserHost& host, const std::shared_ptr<HostWindow>& owner,
                             const DialogPage& page) {
    XRect area{0, 0, host.options().screenWidth, host.options().screenHeight};
    if (owner && owner->xWindow) area = host.desktop()->geometry(owner->xWindow);
    return onScreen(host, area.x + (area.width - page.width) / 2,
                    area.y + (area.height - page.height) / 3, page.width, page.height);
}

std::pair<int, int> menuPlace(BrowserHost& host, const DialogPage& page) {
    int x = 0, y = 0;
    host.desktop()->pointerWithButton1(&x, &y);
    return onScreen(host, x, y, page.width, page.height);
}

// Chromium opens a new window in the state of the window last used, maximised over a maximised
// lobby, and puts it back at the size it had before that: the dialog is put at its place and size
// (and frame-less) whenever the desktop shows it otherwise, a few times at most, so a window
// manager that insists is not fought forever.
constexpr int kMaxCorrections = 20;

void keepPlace(BrowserHost& host, HostWindow& w, const XRect& wanted, int& corrections) {
    X11Desktop* desktop = host.desktop();
    if (!desktop || !w.xWindow || w.destroying || corrections >= kMaxCorrections ||
        !desktop->viewable(w.xWindow) || desktop->geometry(w.xWindow) == wanted) {
        return;
    }
    ++corrections;
    desktop->setDecorated(w.xWindow, false);
    desktop->moveResize(w.xWindow, wanted);
}

// Whether a dialog's window had the keyboard focus and lost it, as the X server tells it on a
// connection of its own. The watch opens before the window is asked for and follows the focus of
// every top-level window made from then on, so the dialog's is followed from its start, before
// the host knows which it is: FocusIn and FocusOut come in the order they happened, whatever the
// order in which the page's renderer hears of them. No other reader takes the connection's
// events or leaves them waiting in Xlib's queue while the loop sleeps: it is drained after every
// look, and its descriptor wakes the loop.
class FocusWatch {
public:
    // Null when the display cannot be opened again.
    static std::unique_ptr<FocusWatch> open() {
        std::unique_ptr<X11Desktop> x = X11Desktop::open();
        if (!x) {
            logLine(
                "the display cannot be opened to watch a menu's focus; its page's blur alone "
                "closes it");
            return nullptr;
        }
        x->watchNewWindows();
        std::unique_ptr<FocusWatch> watch(new FocusWatch(std::move(x)));
        if (ml_watch_fd(watch->x_->connectionFd(), POLLIN, 0, &FocusWatch::readable, watch.get(),
                        &watch->fdWatch_) != ML_OK) {
            logLine(std::string("a menu's focus cannot be watched: ") + ml_last_error());
            watch->fdWatch_ = 0;
            return nullptr;
        }
        return watch;
    }
    ~FocusWatch() {
        if (fdWatch_) ml_unwatch_fd(fdWatch_);
    }
    FocusWatch(const FocusWatch&) = delete;
    FocusWatch& operator=(const FocusWatch&) = delete;

    // True once w (0: not known yet) had the focus and then lost it.
    bool lost(XWindowId w) {
        update();
        if (!w) return false;
        // A window made before the watch opened is followed from the first look at it.
        if (!windows_.count(w)) follow(w);
        update();
        return windows_[w].lost;
    }

private:
    struct Focus {
        bool had = false;
        bool lost = false;
    };
    explicit FocusWatch(std::unique_ptr<X11Desktop> x) : x_(std::move(x)) {}
    static void readable(int, unsigned, void* arg) { static_cast<FocusWatch*>(arg)->update(); }
    // The focus it has when following starts counts as had.
    void follow(XWindowId w) {
        x_->watchFocus(w);
        windows_[w].had = x_->hasFocus(w);
    }
    void update() {
        for (;;) {
            std::vector<XWindowId> made = x_->newWindows();
            for (const X11Desktop::FocusChange& c : x_->focusChanges()) {
                auto at = windows_.find(c.window);
                if (at == windows_.end()) continue;
                if (c.in) {
                    at->second.had = true;
                } else if (at->second.had) {
                    at->second.lost = true;
                }
            }
            if (made.empty()) return;
            for (XWindowId w : made) follow(w);
        }
    }

    std::unique_ptr<X11Desktop> x_;
    uint64_t fdWatch_ = 0;
    std::map<XWindowId, Focus> windows_;
};

struct Shown {
    const DialogPage& page;
    const char* label;
    std::string title;
    ml_hwnd owner = 0;  // modal to this window
    std::pair<int, int> place;
    const char* answerCall;
    std::vector<int> offered;
    bool closesOnFocusLoss = false;  // answering 0 then
};

// Writes the page, opens its window and runs the loop until the page answers or the window
// goes. A quit that comes meanwhile ends the wait and is passed on to the loop outside.
morvick::Expected<int> runDialog(BrowserHost& host, const Shown& s) {
    const fs::path dir = g_folder / std::to_string(++g_pages);
    std::error_code ec;
    fs::create_directory(dir, ec);
    const fs::path file = dir / s.label;
    {
        std::ofstream out(file, std::ios::binary);
        out << s.page.html;
        if (!ec && !out.flush()) ec = std::make_error_code(std::errc::io_error);
    }
    auto cleanUp = [&] { fs::remove_all(dir, ec); };
    if (ec) {
        const std::string why = ec.message();
        cleanUp();
        return morvick::fail("cannot write the page " + file.string() + ": " + why);
    }
    std::unique_ptr<FocusWatch> focus = s.closesOnFocusLoss ? FocusWatch::open() : nullptr;
    rt::Ref<DialogWindow> object = rt::create<DialogWindow>();
    object->url = file.string();
    object->answerCall = s.answerCall;
    object->offered = s.offered;
    std::shared_ptr<HostWindow> w = host.window(host.createWindow(
        s.page.width, s.page.height, kFlagNoCaption, rt::Value(object), rt::Record::of({})));
    if (!w) {
        cleanUp();
        return morvick::fail("no window could be made for the page " + file.string());
    }
    host.setNativeTitle(w, s.title);
    if (s.owner) host.setWindowOwner(w, s.owner);
    host.setWindowProperty(w, WindowProperty::Left, s.place.first);
    host.setWindowProperty(w, WindowProperty::Top, s.place.second);
    host.showWindow(w, true);
    const XRect wanted{s.place.first, s.place.second, s.page.width, s.page.height};
    int corrections = 0;
    int code = 0;
    bool quit = false;
    // No target asked for or known: the browser never opened the window (or it went).
    while (!object->done() && !host.quitRequested() && w->target != TargetState::None) {
        keepPlace(host, *w, wanted, corrections);
        if (focus && focus->lost(w->xWindow)) {
            object->answer = 0;
            break;
        }
        if (ml_pump(-1, &code) == ML_QUIT) {
            quit = true;
            break;
        }
    }
    const bool opened = object->done() || w->target != TargetState::None;
    host.closeWindow(w);
    cleanUp();
    if (quit) ml_post_quit(code);
    if (!opened) return morvick::fail("the browser opened no window for " + file.string());
    return object->answer.value_or(0);
}

morvick::Expected<void> readyToShow(BrowserHost& host) {
    if (g_host != &host || !host.desktop()) return morvick::fail("the host shows none here");
    if (!ml_is_loop_thread()) return morvick::fail("asked off the loop thread");
    if (!host.started()) return morvick::fail("the browser is not running");
    if (host.quitRequested()) return morvick::fail("the program is quitting");
    return {};
}

int seamShowBox(const host_box* box) {
    if (!g_host || !box || !box->title || !box->text) return HOST_BOX_NOT_SHOWN;
    try {
        BoxRequest request{box->kind == HOST_BOX_CONFIRM, box->warning != 0, box->title, box->text};
        morvick::Expected<bool> yes = HostDialogs::showBox(*g_host, request);
        if (yes) return *yes ? HOST_BOX_YES : HOST_BOX_NO;
        logLine("the box \"" + request.title + "\" is not shown: " + yes.error());
    } catch (const std::exception& e) {
        logLine(std::string("showing a box failed: ") + e.what());
    }
    return HOST_BOX_NOT_SHOWN;
}

int seamShowMenu(const host_menu_entry* entries, size_t count, int* chosen) {
    if (!g_host || !chosen || (!entries && count)) return 0;
    try {
        std::vector<MenuEntry> list;
        for (size_t i = 0; i < count; ++i) {
            const host_menu_entry& e = entries[i];
            MenuEntry m;
            m.kind = e.kind == HOST_MENU_DIVIDER ? MenuEntry::Kind::Divider
                     : e.kind == HOST_MENU_GROUP ? MenuEntry::Kind::Group
                                                 : MenuEntry::Kind::Item;
            m.depth = e.depth;
            m.id = e.id;
            m.label = e.label ? e.label : "";
            list.push_back(std::move(m));
        }
        morvick::Expected<int> id = HostDialogs::showMenu(*g_host, list);
        if (!id) {
            logLine("the menu is not shown: " + id.error());
            return 0;
        }
        *chosen = *id;
        return 1;
    } catch (const std::exception& e) {
        logLine(std::string("showing a menu failed: ") + e.what());
    }
    return 0;
}

const host_windows kSeam{&seamShowBox, &seamShowMenu};

}  // namespace

void HostDialogs::attach(BrowserHost& host) {
    if (!host.desktop()) return;
    if (g_folder.empty()) g_folder = makeFolder();
    if (g_folder.empty()) {
        logLine("no folder for the pages of boxes and menus; they are answered without a desktop");
        return;
    }
    g_host = &host;
    host_windows_register(&kSeam);
}

void HostDialogs::detach() {
    if (host_windows_find() == &kSeam) host_windows_register(nullptr);
    g_host = nullptr;
    std::error_code ec;
    if (!g_folder.empty()) fs::remove_all(g_folder, ec);
    g_folder.clear();
}

bool HostDialogs::attached() {
    return g_host != nullptr;
}

morvick::Expected<bool> HostDialogs::showBox(BrowserHost& host, const BoxRequest& box) {
    if (morvick::Expected<void> ready = readyToShow(host); !ready) {
        return morvick::fail(ready.error());
    }
    const DialogPage page = boxPage(box);
    std::shared_ptr<HostWindow> owner = boxOwner(host);
    Shown s{page,     kBoxLabel, box.title, owner ? owner->hwnd() : 0, boxPlace(host, owner, page),
            "answer", {0, 1}};
    morvick::Expected<int> answer = runDialog(host, s);
    if (!answer) return morvick::fail(answer.error());
    return *answer == 1;
}

morvick::Expected<int> HostDialogs::showMenu(BrowserHost& host,
                                             const std::vector<MenuEntry>& entries) {
    if (morvick::Expected<void> ready = readyToShow(host); !ready) {
        return morvick::fail(ready.error());
    }
    const DialogPage page = menuPage(entries);
    std::vector<int> offered{0};
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::Item) offered.push_back(e.id);
    }
    // A menu is nobody's modal dialog: a click on any other window takes the focus away from
    // it, which closes it (the host sees that from the X server, the page from its blur).
    Shown s{page, kMenuLabel, "Menu", 0, menuPlace(host, page), "choose", std::move(offered), true};
    return runDialog(host, s);
}

}  // namespace cefhx
