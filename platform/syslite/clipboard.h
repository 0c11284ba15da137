#pragma once

#include <string>

namespace syslite {

// The clipboard, kept as a file ("clipboard" in the home folder) so that it is shared by every
// process of the user; no X selection is used. Texts are kept byte for byte.
class Clipboard {
public:
    static void setText(const std::string& text);
    // The empty text when nothing was put there.
    static std::string getText();
    static void clear();
};

}  // namespace syslite
