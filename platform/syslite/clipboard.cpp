#include "platform/syslite/clipboard.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/syslite/atomic_file.h"
#include "platform/syslite/settings.h"

namespace syslite {
namespace {

std::string clipboardPath() {
    return homeFolder() + "/clipboard";
}

}  // namespace

void Clipboard::setText(const std::string& text) {
    writeFileAtomically(clipboardPath(), text);
}

std::string Clipboard::getText() {
    return readFileIfPresent(clipboardPath()).value_or("");
}

void Clipboard::clear() {
    std::string path = clipboardPath();
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
        throw std::runtime_error("removing " + path + " failed: " + std::strerror(errno));
    }
}

}  // namespace syslite
