#include "platform/syslite/x11_clipboard.h"

#include <X11/Xatom.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/shared/platform_log.h"
#include "platform/shared/x11_error_trap.h"

namespace syslite {
namespace {

// How long another program may take to hand over its text: a guard against a hung owner.
constexpr int kOwnerGuardMs = 5000;

struct XFreer {
    void operator()(unsigned char* p) const {
        if (p) XFree(p);
    }
};
using XBytes = std::unique_ptr<unsigned char, XFreer>;

}  // namespace

std::string latin1ToUtf8(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string utf8ToLatin1(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80         ? 1
                        : (c >> 5) == 6  ? 2
                        : (c >> 4) == 14 ? 3
                        : (c >> 3) == 30 ? 4
                                         : 1;
        if (length == 2 && i + 1 < text.size() && c <= 0xC3) {
            out += static_cast<char>(((c & 0x1F) << 6) | (text[i + 1] & 0x3F));
        } else {
            out += length == 1 && c < 0x80 ? static_cast<char>(c) : '?';
        }
        i += length;
    }
    return out;
}

X11Clipboard::X11Clipboard(X11Session& session) : session_(session) {
    session_.call([&](Display* d) {
        window_ = XCreateSimpleWindow(d, DefaultRootWindow(d), -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(d, window_, PropertyChangeMask);
        clipboard_ = XInternAtom(d, "CLIPBOARD", False);
        utf8_ = XInternAtom(d, "UTF8_STRING", False);
        targets_ = XInternAtom(d, "TARGETS", False);
        text_ = XInternAtom(d, "TEXT", False);
        incr_ = XInternAtom(d, "INCR", False);
        property_ = XInternAtom(d, "MORVICK_CLIPBOARD", False);
        session_.handle(window_, [this](XEvent& e) {
            if (e.type == SelectionRequest) {
                answer(e.xselectionrequest);
            } else if (e.type == SelectionClear && e.xselectionclear.selection == clipboard_) {
                owned_.reset();
            } else if (e.type == SelectionNotify && e.xselection.selection == clipboard_) {
                notified_ = true;
                answered_ = e.xselection.property;
            } else if (e.type == PropertyNotify && e.xproperty.atom == property_ &&
                       e.xproperty.state == PropertyNewValue) {
                propertyChanged_ = true;
            }
        });
    });
}

X11Clipboard::~X11Clipboard() {
    session_.call([&](Display* d) {
        session_.forget(window_);
        XDestroyWindow(d, window_);
        platform::takeXError(d);
    });
}

X11Clipboard* X11Clipboard::onDisplay() {
    static std::mutex lock;
    // Made once and never torn down: at the process's end the session may already be gone.
    static X11Clipboard* clipboard = nullptr;
    std::lock_guard<std::mutex> guard(lock);
    if (!clipboard) {
        if (X11Session* session = X11Session::onDisplay()) clipboard = new X11Clipboard(*session);
    }
    return clipboard;
}

void X11Clipboard::setText(const std::string& text) {
    session_.call([&](Display* d) {
        owned_ = text;
        XSetSelectionOwner(d, clipboard_, window_, CurrentTime);
        if (XGetSelectionOwner(d, clipboard_) != window_) {
            owned_.reset();
            throw std::runtime_error("the X clipboard cannot be taken");
        }
    });
}

void X11Clipboard::clear() {
    session_.call([&](Display* d) {
        owned_.reset();
        XSetSelectionOwner(d, clipboard_, None, CurrentTime);
        XSync(d, False);
    });
}

void X11Clipboard::answer(XSelectionRequestEvent& r) {
    Display* d = session_.display();
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = d;
    reply.requestor = r.requestor;
    reply.selection = r.selection;
    reply.target = r.target;
    reply.time = r.time;
    reply.property = None;
    // Old clients name no property: the target is the property then.
    Atom property = r.property == None ? r.target : r.property;
    if (owned_ && r.selection == clipboard_) {
        // The largest property one request can carry, less room for the request itself.
        size_t room = static_cast<size_t>(XExtendedMaxRequestSize(d) ? XExtendedMaxRequestSize(d)
                                                                     : XMaxRequestSize(d)) *
                          4 -
                      64;
        if (r.target == targets_) {
            Atom offered[] = {targets_, utf8_, text_, XA_STRING};
            XChangeProperty(d, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(offered), 4);
            reply.property = property;
        } else if (r.target == utf8_ || r.target == text_ || r.target == XA_STRING) {
            std::string data = r.target == XA_STRING ? utf8ToLatin1(*owned_) : *owned_;
            if (data.size() <= room) {
                XChangeProperty(d, r.requestor, property, r.target == XA_STRING ? XA_STRING : utf8_,
                                8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(data.data()),
                                static_cast<int>(data.size()));
                reply.property = property;
            } else {
                platform::log("syslite", "clipboard text of " + std::to_string(data.size()) +
                                             " bytes is too large to hand over");
            }
        }
    }
    XSendEvent(d, r.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    // A requestor that went away meanwhile must not end the session.
    platform::takeXError(d);
}

std::optional<std::string> X11Clipboard::readProperty(bool* incremental) {
    Display* d = session_.display();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    propertyChanged_ = false;
    if (XGetWindowProperty(d, window_, property_, 0, static_cast<long>(kMaxText / 4 + 1), True,
                           AnyPropertyType, &type, &format, &count, &after, &raw) != Success) {
        return std::nullopt;
    }
    XBytes data(raw);
    *incremental = type == incr_;
    if (*incremental) return std::string();
    if (format != 8 || after > 0) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(data.get()), count);
}

std::optional<std::string> X11Clipboard::request(Atom target) {
    Display* d = session_.display();
    XDeleteProperty(d, window_, property_);
    notified_ = false;
    XConvertSelection(d, clipboard_, target, property_, window_, CurrentTime);
    if (!session_.serveUntil([&] { return notified_; }, kOwnerGuardMs)) {
        platform::log("syslite", "the clipboard's owner did not answer");
        return std::nullopt;
    }
    if (answered_ == None) return std::nullopt;
    bool incremental = false;
    std::optional<std::string> text = readProperty(&incremental);
    if (!incremental) return text;
    // Large texts come in pieces: each piece is written once the last one was taken (deleted),
    // and an empty piece ends them.
    std::string whole;
    while (true) {
        if (!session_.serveUntil([&] { return propertyChanged_; }, kOwnerGuardMs)) {
            platform::log("syslite", "the clipboard's owner stopped in the middle of its text");
            return std::nullopt;
        }
        std::optional<std::string> piece = readProperty(&incremental);
        if (!piece || incremental) return std::nullopt;
        if (piece->empty()) return whole;
        if (whole.size() + piece->size() > kMaxText) {
            platform::log("syslite", "clipboard text larger than " + std::to_string(kMaxText) +
                                         " bytes ignored");
            return std::nullopt;
        }
        whole += *piece;
    }
}

std::string X11Clipboard::getText() {
    std::string out;
    session_.call([&](Display* d) {
        // Ask the server: another program may have taken the selection a moment ago, before
        // its notice reached us.
        if (XGetSelectionOwner(d, clipboard_) != window_) owned_.reset();
        if (owned_) {
            out = *owned_;
            return;
        }
        if (auto text = request(utf8_)) {
            out = *text;
        } else if (auto latin = request(XA_STRING)) {
            out = latin1ToUtf8(*latin);
        }
    });
    return out;
}

}  // namespace syslite
