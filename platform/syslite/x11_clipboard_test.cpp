// The clipboard on a private X server, against a second X client written here: texts go both
// ways as UTF-8 (and Latin-1 STRING), large texts arrive in pieces, and clearing or losing the
// selection leaves no stale text.
#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <future>
#include <stdexcept>
#include <string>

#include "platform/shared/x11_test_server.h"
#include "platform/syslite/x11_clipboard.h"

#include <X11/Xatom.h>

namespace syslite {
namespace {

// Another program: reads the clipboard, or owns it and hands its text over, whole or in pieces.
class OtherProgram {
public:
    OtherProgram() : d_(XOpenDisplay(platform::test::sharedXvfb().display().c_str())) {
        if (!d_)
            throw std::runtime_error("cannot connect to " + platform::test::sharedXvfb().display());
        window_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(d_, window_, PropertyChangeMask);
        clipboard_ = XInternAtom(d_, "CLIPBOARD", False);
        utf8_ = XInternAtom(d_, "UTF8_STRING", False);
        incr_ = XInternAtom(d_, "INCR", False);
        property_ = XInternAtom(d_, "OTHER", False);
    }
    ~OtherProgram() { XCloseDisplay(d_); }

    Window owner() { return XGetSelectionOwner(d_, clipboard_); }

    // The text as target, or "(none)" when the owner refuses.
    std::string read(Atom target) {
        XConvertSelection(d_, clipboard_, target, property_, window_, CurrentTime);
        XEvent e;
        do XNextEvent(d_, &e);
        while (e.type != SelectionNotify);
        if (e.xselection.property == None) return "(none)";
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(d_, window_, property_, 0, 1 << 24, True, AnyPropertyType, &type,
                           &format, &count, &after, &data);
        std::string text(reinterpret_cast<char*>(data), count);
        XFree(data);
        return text;
    }
    std::string readUtf8() { return read(utf8_); }

    void own(std::string text) {
        text_ = std::move(text);
        XSetSelectionOwner(d_, clipboard_, window_, CurrentTime);
        XSync(d_, False);
    }
    // Serves requests until `done` is ready; pieces of `piece` bytes when piece > 0.
    template <class Future>
    void serveUntil(Future& done, size_t piece) {
        while (done.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            while (XPending(d_) > 0) {
                XEvent e;
                XNextEvent(d_, &e);
                if (e.type == SelectionRequest) answer(e.xselectionrequest, piece);
                if (e.type == PropertyNotify && e.xproperty.state == PropertyDelete &&
                    e.xproperty.window == incrWindow_ && e.xproperty.atom == incrProperty_) {
                    sendPiece(piece);
                }
            }
            pollfd p{ConnectionNumber(d_), POLLIN, 0};
            ::poll(&p, 1, 20);
        }
    }

private:
    void answer(XSelectionRequestEvent& r, size_t piece) {
        XSelectionEvent reply{SelectionNotify, 0,        True,       d_,    r.requestor,
                              r.selection,     r.target, r.property, r.time};
        if (r.target != utf8_) {
            reply.property = None;
        } else if (piece == 0) {
            XChangeProperty(d_, r.requestor, r.property, utf8_, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(text_.data()),
                            static_cast<int>(text_.size()));
        } else {
            incrWindow_ = r.requestor;
            incrProperty_ = r.property;
            sent_ = 0;
            XSelectInput(d_, r.requestor, PropertyChangeMask);
            long total = static_cast<long>(text_.size());
            XChangeProperty(d_, r.requestor, r.property, incr_, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&total), 1);
        }
        XSendEvent(d_, r.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
        XFlush(d_);
    }
    void sendPiece(size_t piece) {
        if (sent_ > text_.size()) return;
        size_t n = std::min(piece, text_.size() - sent_);
        XChangeProperty(d_, incrWindow_, incrProperty_, utf8_, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text_.data() + sent_),
                        static_cast<int>(n));
        sent_ += n == 0 ? 1 : n;  // past the end once the empty piece went
        XFlush(d_);
    }

    Display* d_;
    Window window_;
    Atom clipboard_, utf8_, incr_, property_;
    std::string text_;
    Window incrWindow_ = 0;
    Atom incrProperty_ = None;
    size_t sent_ = 0;
};

class X11ClipboardTest : public ::testing::Test {
protected:
    X11Session session{platform::test::sharedXvfb().display()};
    X11Clipboard clipboard{session};
    OtherProgram other;

    // Our read, while the other program serves.
    std::string readWhileServing(size_t piece) {
        auto text = std::async(std::launch::async, [&] { return clipboard.getText(); });
        other.serveUntil(text, piece);
        return text.get();
    }
};

TEST_F(X11ClipboardTest, OurTextReachesAnotherProgram) {
    const std::string text = "Grüße, 世界 ✓\nline two";
    clipboard.setText(text);
    EXPECT_EQ(other.readUtf8(), text);
    // STRING is Latin-1: what it cannot hold becomes "?".
    EXPECT_EQ(other.read(XA_STRING),
              "Gr\xFC\xDF"
              "e, ?? ?\nline two");
    EXPECT_EQ(clipboard.getText(), text);
    // An empty text is a text too.
    clipboard.setText("");
    EXPECT_EQ(other.readUtf8(), "");
}

TEST_F(X11ClipboardTest, AnotherProgramsTextReachesUs) {
    clipboard.setText("ours");
    other.own("theirs: ünïcödé");
    // The other program took the selection: our old text is gone.
    EXPECT_EQ(readWhileServing(0), "theirs: ünïcödé");
    std::string large(300000, 'x');
    for (size_t i = 0; i < large.size(); i += 997) large[i] = static_cast<char>('a' + i % 26);
    other.own(large);
    EXPECT_EQ(readWhileServing(4096), large);
}

TEST_F(X11ClipboardTest, ClearingLeavesNoOwnerAndNoText) {
    clipboard.setText("gone soon");
    ASSERT_NE(other.owner(), static_cast<Window>(None));
    clipboard.clear();
    EXPECT_EQ(other.owner(), static_cast<Window>(None));
    EXPECT_EQ(clipboard.getText(), "");
    EXPECT_EQ(other.readUtf8(), "(none)");
}

TEST(Latin1, ConvertsBothWays) {
    EXPECT_EQ(latin1ToUtf8("caf\xE9"), "café");
    EXPECT_EQ(utf8ToLatin1("café €"), "caf\xE9 ?");
    EXPECT_EQ(utf8ToLatin1("\xC3"), "?");  // cut short
}

}  // namespace
}  // namespace syslite
