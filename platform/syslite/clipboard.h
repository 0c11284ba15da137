#pragma once

#include <string>

namespace syslite {

// The clipboard: the X display's CLIPBOARD selection when $DISPLAY names one that opens
// (X11Clipboard); without a display a file ("clipboard" in the home folder) shared by every
// process of the user, texts kept byte for byte.
class Clipboard {
public:
    static void setText(const std::string& text);
    // The empty text when nothing was put there.
    static std::string getText();
    static void clear();
};

}  // namespace syslite
