#include "platform/syslite/clipboard.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/syslite/atomic_file.h"
#include "platform/syslite/settings.h"
#include "platform/syslite/x11_clipboard.h"

namespace syslite {
namespace {

std::string clipboardPath() {
    return homeFolder() + "/clipboard";
}

}  // namespace

void Clipboard::setText(const std::string& text) {
    if (X11Clipboard* x = X11Clipboard::onDisplay()) return x->setText(text);
    writeFileAtomically(clipboardPath(), text);
}

std::string Clipboard::getText() {
    if (X11Clipboard* x = X11Clipboard::onDisplay()) return x->getText();
    return readFileIfPresent(clipboardPath()).value_or("");
}

void Clipboard::clear() {
    if (X11Clipboard* x = X11Clipboard::onDisplay()) return x->clear();
    std::string path = clipboardPath();
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
        throw std::runtime_error("removing " + path + " failed: " + std::strerror(errno));
    }
}

}  // namespace syslite
