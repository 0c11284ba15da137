#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "platform/syslite/x11_session.h"

namespace syslite {

// The desktop's CLIPBOARD selection, text as UTF-8. Setting makes the session's window the
// selection's owner, which then answers other programs' requests (UTF8_STRING, STRING, TEXT,
// TARGETS) from its thread; reading asks the owner for UTF-8 text (Latin-1 STRING when it has
// none), large texts included (INCR).
class X11Clipboard {
public:
    explicit X11Clipboard(X11Session& session);
    ~X11Clipboard();
    X11Clipboard(const X11Clipboard&) = delete;
    X11Clipboard& operator=(const X11Clipboard&) = delete;

    // The clipboard of the session on $DISPLAY; null without a display.
    static X11Clipboard* onDisplay();

    // Throws when the selection cannot be taken.
    void setText(const std::string& text);
    // The empty text when the clipboard holds no text or its owner does not answer.
    std::string getText();
    // Nobody owns the selection afterwards.
    void clear();

    // Texts larger than this are not read (a hostile owner cannot make us hold more).
    static constexpr size_t kMaxText = 16u << 20;

private:
    // Asks the owner for the text as target; nothing when it has none or does not answer.
    std::optional<std::string> request(Atom target);
    // Takes (and deletes) the answer's property; *incremental tells that it announces pieces.
    std::optional<std::string> readProperty(bool* incremental);
    void answer(XSelectionRequestEvent& request);

    X11Session& session_;
    Window window_ = 0;
    Atom clipboard_, utf8_, targets_, text_, incr_, property_;
    std::optional<std::string> owned_;  // what we offer while we own the selection
    // The request under way (session thread only).
    bool notified_ = false;
    Atom answered_ = None;
    bool propertyChanged_ = false;
};

// Latin-1 to UTF-8 and back (characters beyond Latin-1 become "?"), for STRING.
std::string latin1ToUtf8(const std::string& text);
std::string utf8ToLatin1(const std::string& text);

}  // namespace syslite
