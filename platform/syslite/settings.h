#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace syslite {

// The folder that holds everything the library writes (registry store, clipboard):
// $SYSLITE_HOME, else $XDG_CONFIG_HOME/morvick/syslite, else ~/.config/morvick/syslite.
std::string homeFolder();

// True when the program runs without a desktop, as the browser host decides it: CEFHX_HEADLESS
// set to anything but "0", or, when it is not set, neither DISPLAY nor WAYLAND_DISPLAY set. The
// desktop's clipboard and tray are then left alone.
bool headless();

// Answers to the questions Linux has nobody to ask here (menu choices, confirm dialogs, file
// dialogs, the screen size, simulated tray clicks). They come from a file of "key = value" lines
// ("#" starts a comment line): $SYSLITE_ANSWERS, else answers.ini in the home folder. A value
// may be a list separated by ","; each question takes the next item and the last item answers
// every later question. The file is read on every question; when its text changes, every list
// starts again from its first item.
class Answers {
public:
    static Answers& instance();

    // The next answer for the key, or nothing when the file or the key is missing.
    std::optional<std::string> next(const std::string& key);

    // The items of a "key = a, b, c" text, trimmed; exposed for tests.
    static std::map<std::string, std::vector<std::string>> parse(const std::string& text);

private:
    std::mutex lock_;
    std::string text_;
    std::map<std::string, size_t> taken_;
};

}  // namespace syslite
