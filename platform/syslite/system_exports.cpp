// The system-utility primitives of libsyslite.so: processes, registry, display, dialogs,
// clipboard and the browser launch.
#include <sys/stat.h>

#include "platform/shared/primitive_export.h"
#include "platform/syslite/clipboard.h"
#include "platform/syslite/command_line.h"
#include "platform/syslite/desktop_dialogs.h"
#include "platform/syslite/process_starter.h"
#include "platform/syslite/registry_store.h"
#include "platform/syslite/screen_size.h"
#include "platform/syslite/settings.h"
#include "runtime/array.h"
#include "runtime/record.h"
#include "runtime/strings.h"

namespace {

using platform::quoted;
using platform::text;
using rt::fromC;
using rt::Value;

constexpr const char* kLib = "syslite";

void log(const std::string& line) {
    platform::log(kLib, line);
}

syslite::RegistryStore registry() {
    return syslite::RegistryStore(syslite::homeFolder() + "/registry");
}

std::string registryPath(int root, const std::string& key) {
    return syslite::RegistryStore::rootName(root) + "\\" +
           syslite::RegistryStore::normalizeKey(key);
}

std::string joinQuoted(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : " ") + quoted(item);
    return out;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool answerIsYes(const std::optional<std::string>& answer) {
    if (!answer) return false;
    std::string a = rt::toLower(*answer);
    return a == "true" || a == "yes" || a == "ok" || a == "1";
}

::value win_replace_exe_icon(::value exe, ::value icon, ::value index) {
    log("win_replace_exe_icon: program icons cannot be replaced here; " + quoted(text(fromC(exe))) +
        " keeps its icon (asked for " + quoted(text(fromC(icon))) + " at index " +
        std::to_string(fromC(index).toInt()) + ")");
    return rt::toC(Value(false));
}

// (program, command-line arguments, working folder, show the window, wait for the end). The
// answer is the process id, 0 when nothing was started.
::value win_create_process(::value program, ::value arguments, ::value folder, ::value show,
                           ::value wait) {
    return platform::guarded(
        kLib, "win_create_process",
        [&] {
            std::string given = text(fromC(program));
            std::vector<std::string> argv = syslite::splitCommandLine(text(fromC(arguments)));
            if (given.empty()) {
                if (argv.empty()) throw std::runtime_error("neither a program nor a command line");
                given = argv.front();
                argv.erase(argv.begin());
            }
            std::optional<std::string> file = syslite::resolveProgram(given);
            // A bare program name that is no file here is a command of the desktop's PATH.
            if (!file && given.find_first_of("/\\") == std::string::npos) {
                if (std::string found = syslite::findInPath(given); !found.empty()) file = found;
            }
            if (!file) throw std::runtime_error("no executable program " + quoted(given));
            std::string dir = rt::replaceAll(text(fromC(folder)), "\\", "/");
            if (!dir.empty() && !isFolder(dir)) {
                throw std::runtime_error("the working folder " + quoted(dir) + " does not exist");
            }
            argv.insert(argv.begin(), *file);
            pid_t pid = syslite::startProcess(*file, argv, dir);
            bool waiting = fromC(wait).toBool();
            log("process " + std::to_string(pid) + " started: " + joinQuoted(argv) +
                (dir.empty() ? "" : " in " + quoted(dir)) +
                (fromC(show).toBool() ? ", window shown" : ", window hidden") +
                (waiting ? ", waiting for its end" : ""));
            if (waiting) {
                int code = syslite::waitForProcess(pid);
                log("process " + std::to_string(pid) + " ended with code " + std::to_string(code));
            } else {
                syslite::reapInBackground(pid);
            }
            return Value(static_cast<int32_t>(pid));
        },
        Value(0));
}

::value registry_get_value(::value root, ::value key, ::value name) {
    return platform::guarded(kLib, "registry_get_value", [&] {
        std::optional<std::string> found =
            registry().get(fromC(root).toInt(), text(fromC(key)), text(fromC(name)));
        return found ? Value(*found) : Value();
    });
}

::value registry_set_value(::value root, ::value key, ::value name, ::value data) {
    return platform::guarded(kLib, "registry_set_value", [&] {
        int r = fromC(root).toInt();
        std::string k = text(fromC(key));
        std::string n = text(fromC(name));
        registry().set(r, k, n, text(fromC(data)));
        log("registry " + registryPath(r, k) + " value " + quoted(n) + " set");
        return Value();
    });
}

::value registry_delete_key(::value root, ::value key) {
    return platform::guarded(kLib, "registry_delete_key", [&] {
        int r = fromC(root).toInt();
        std::string k = text(fromC(key));
        bool removed = registry().deleteKey(r, k);
        log("registry " + registryPath(r, k) + (removed ? " deleted" : " did not exist"));
        return Value();
    });
}

::value display_get_screen_size() {
    return platform::guarded(kLib, "display_get_screen_size", [&] {
        syslite::ScreenSize size = syslite::screenSize();
        return Value(rt::Record::of({{"w", Value(size.width)}, {"h", Value(size.height)}}));
    });
}

// (width, height, bits per pixel): the mode cannot be changed here.
::value display_set_mode(::value width, ::value height, ::value bits) {
    log("display_set_mode " + std::to_string(fromC(width).toInt()) + "x" +
        std::to_string(fromC(height).toInt()) + "x" + std::to_string(fromC(bits).toInt()) +
        ": display modes cannot be changed here");
    return rt::toC(Value(false));
}

::value display_set_default_mode() {
    log("display_set_default_mode: the display keeps its mode");
    return rt::toC(Value());
}

// (width, height, bits per pixel): a mode fits when it is no larger than the screen and uses
// 16, 24 or 32 bits per pixel.
::value display_is_mode_supported(::value width, ::value height, ::value bits) {
    return platform::guarded(
        kLib, "display_is_mode_supported",
        [&] {
            int w = fromC(width).toInt();
            int h = fromC(height).toInt();
            int b = fromC(bits).toInt();
            syslite::ScreenSize size = syslite::screenSize();
            return Value(w > 0 && h > 0 && w <= size.width && h <= size.height &&
                         (b == 16 || b == 24 || b == 32));
        },
        Value(false));
}

// (title, text, is an error): shown on the desktop when the browser host can show it, else
// logged and counted as answered OK.
::value dialogs_message_box(::value title, ::value message, ::value isError) {
    return platform::guarded(kLib, "dialogs_message_box", [&] {
        const bool error = fromC(isError).toBool();
        const std::string t = text(fromC(title)), m = text(fromC(message));
        std::optional<bool> shown = syslite::desktopBox(false, error, t, m);
        log(std::string(error ? "error box " : "message box ") + quoted(t) + ": " + quoted(m) +
            (shown ? " shown, closed" : " answered OK"));
        return Value();
    });
}

// (title, text, flag): a box with yes and no on the desktop (the flag marks it as a warning);
// else answered from the answers file's "confirm", and no without one.
::value dialogs_dialog_box(::value title, ::value message, ::value flag) {
    return platform::guarded(
        kLib, "dialogs_dialog_box",
        [&] {
            const bool warning = fromC(flag).toBool();
            const std::string t = text(fromC(title)), m = text(fromC(message));
            std::optional<bool> shown = syslite::desktopBox(true, warning, t, m);
            const bool yes =
                shown ? *shown : answerIsYes(syslite::Answers::instance().next("confirm"));
            log("confirm box " + quoted(t) + ": " + quoted(m) + (warning ? " (flag set)" : "") +
                (shown ? " shown," : "") + " answered " + (yes ? "yes" : "no"));
            return Value(yes);
        },
        Value(false));
}

// (title, initial folder, filter): answered from "save_file", else cancelled ("").
::value dialogs_save_file(::value title, ::value folder, ::value filter) {
    return platform::guarded(kLib, "dialogs_save_file", [&] {
        std::string chosen = syslite::Answers::instance().next("save_file").value_or("");
        log("save-file dialog " + quoted(text(fromC(title))) + " in " +
            quoted(text(fromC(folder))) + " for " + quoted(text(fromC(filter))) + " answered " +
            quoted(chosen));
        return Value(chosen);
    });
}

// (title, initial folder, filter passed unchanged): answered from "open_file" (several paths
// separated by "|"), else cancelled (null).
::value dialogs_open_file(::value title, ::value folder, ::value filter) {
    return platform::guarded(kLib, "dialogs_open_file", [&] {
        std::optional<std::string> chosen = syslite::Answers::instance().next("open_file");
        log("open-file dialog " + quoted(text(fromC(title))) + " in " +
            quoted(text(fromC(folder))) + " for " + fromC(filter).toString() + " answered " +
            (chosen ? quoted(*chosen) : std::string("cancel")));
        if (!chosen || chosen->empty()) return Value();
        auto paths = rt::make<rt::Array>();
        for (const std::string& p : rt::split(*chosen, "|")) {
            if (!rt::trim(p).empty()) paths->push(Value(rt::trim(p)));
        }
        return Value(paths);
    });
}

// (title, initial folder): answered from "folder", else cancelled ("").
::value dialogs_folder(::value title, ::value folder) {
    return platform::guarded(kLib, "dialogs_folder", [&] {
        std::string chosen = syslite::Answers::instance().next("folder").value_or("");
        log("folder dialog " + quoted(text(fromC(title))) + " in " + quoted(text(fromC(folder))) +
            " answered " + quoted(chosen));
        return Value(chosen);
    });
}

::value clipboard_set_text(::value data) {
    return platform::guarded(kLib, "clipboard_set_text", [&] {
        std::string t = text(fromC(data));
        syslite::Clipboard::setText(t);
        log("clipboard set (" + std::to_string(t.size()) + " bytes)");
        return Value();
    });
}

::value clipboard_get_text() {
    return platform::guarded(
        kLib, "clipboard_get_text", [&] { return Value(syslite::Clipboard::getText()); },
        Value(""));
}

::value clipboard_clear() {
    return platform::guarded(kLib, "clipboard_clear", [&] {
        syslite::Clipboard::clear();
        log("clipboard cleared");
        return Value();
    });
}

// Opens the address with the desktop's opener when there is one; never waits for it.
::value browser_launch(::value url) {
    return platform::guarded(
        kLib, "browser_launch",
        [&] {
            std::string address = text(fromC(url));
            if (address.empty() || address[0] == '-') {
                throw std::runtime_error("refusing to open the address " + quoted(address));
            }
            std::string opener = syslite::findInPath("xdg-open");
            if (opener.empty()) {
                log("no xdg-open on the PATH; not opened: " + quoted(address));
                return Value(false);
            }
            pid_t pid = syslite::startProcess(opener, {opener, address}, "");
            syslite::reapInBackground(pid);
            log("opening " + quoted(address) + " with " + opener + " (process " +
                std::to_string(pid) + ")");
            return Value(true);
        },
        Value(false));
}

}  // namespace

MORVICK_PRIMITIVE(win_replace_exe_icon, 3)
MORVICK_PRIMITIVE(win_create_process, 5)
MORVICK_PRIMITIVE(registry_get_value, 3)
MORVICK_PRIMITIVE(registry_set_value, 4)
MORVICK_PRIMITIVE(registry_delete_key, 2)
MORVICK_PRIMITIVE(display_get_screen_size, 0)
MORVICK_PRIMITIVE(display_set_mode, 3)
MORVICK_PRIMITIVE(display_set_default_mode, 0)
MORVICK_PRIMITIVE(display_is_mode_supported, 3)
MORVICK_PRIMITIVE(dialogs_message_box, 3)
MORVICK_PRIMITIVE(dialogs_dialog_box, 3)
MORVICK_PRIMITIVE(dialogs_save_file, 3)
MORVICK_PRIMITIVE(dialogs_open_file, 3)
MORVICK_PRIMITIVE(dialogs_folder, 2)
MORVICK_PRIMITIVE(clipboard_set_text, 1)
MORVICK_PRIMITIVE(clipboard_get_text, 0)
MORVICK_PRIMITIVE(clipboard_clear, 0)
MORVICK_PRIMITIVE(browser_launch, 1)
