#include "updater/desktop.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/msgloop/msgloop.h"

namespace haldor {
namespace {

// Quotes one command-line token the way the process starter splits them.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

void Run(const std::string& cmdline) {
    ml_process* process = nullptr;
    if (ml_process_start(cmdline.c_str(), &process) != ML_OK) {
        std::fprintf(stderr, "Haldor: could not start %s: %s\n", cmdline.c_str(), ml_last_error());
        return;
    }
    ml_process_close(process);
}

}  // namespace

void SystemDesktop::StartLobby(const std::string& folder) {
    if (::chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "Haldor: cannot enter %s\n", folder.c_str());
        return;
    }
    Run(Quoted(folder + "/MorvickNew.exe"));
}

void SystemDesktop::OpenHomePage(const std::string& url) {
    Run("xdg-open " + Quoted(url));
}

void SystemDesktop::EndNow() {
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace haldor
