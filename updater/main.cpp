#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>

#include "platform/msgloop/msgloop.h"
#include "updater/desktop.h"
#include "updater/install_place.h"
#include "updater/line_view.h"
#include "updater/terminal_view.h"
#include "updater/update_dialog.h"

namespace haldor {
namespace {

// The system closes the window: a terminal hang-up, an interrupt or a termination request.
void OnSignal(int fd, unsigned, void* arg) {
    signalfd_siginfo info{};
    if (::read(fd, &info, sizeof info) > 0) static_cast<DialogActions*>(arg)->OnSystemClose();
}

class EndingDesktop : public SystemDesktop {
public:
    explicit EndingDesktop(TerminalView* terminal) : terminal_(terminal) {}
    void EndNow() override {
        if (terminal_) terminal_->Restore();
        SystemDesktop::EndNow();
    }

private:
    TerminalView* terminal_;
};

// The updater's application: completes a pending replacement of its own executable, then runs
// the dialog until its window closes. The command line is ignored.
int CAutoUpdateClientApp() {
    std::signal(SIGPIPE, SIG_IGN);
    if (ml_init() != ML_OK) {
        std::fprintf(stderr, "Windows 套接字初始化失败。\n");
        return 0;
    }
    InstallPlace place = InstallPlace::OfThisProcess();
    CompletePendingSelfUpdate(place);

    std::unique_ptr<UpdateView> view;
    TerminalView* terminal = nullptr;
    if (::isatty(STDIN_FILENO)) {
        auto owned = std::make_unique<TerminalView>(STDIN_FILENO, STDOUT_FILENO);
        terminal = owned.get();
        view = std::move(owned);
    } else {
        view = std::make_unique<LineView>(STDIN_FILENO, STDOUT_FILENO);
    }
    EndingDesktop desktop(terminal);
    auto dialog = std::make_unique<CAutoUpdateClientDlg>(place, view.get(), &desktop);

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    ::sigprocmask(SIG_BLOCK, &signals, nullptr);
    int signal_fd = ::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    std::uint64_t signal_watch = 0;
    if (signal_fd >= 0)
        ml_watch_fd(signal_fd, POLLIN, 0, &OnSignal, static_cast<DialogActions*>(dialog.get()),
                    &signal_watch);

    if (dialog->OnInitDialog()) {
        while (!dialog->ended()) ml_run(nullptr);
    }
    if (signal_watch) ml_unwatch_fd(signal_watch);
    if (signal_fd >= 0) ::close(signal_fd);
    dialog.reset();
    view.reset();
    ml_shutdown();
    return 0;
}

}  // namespace
}  // namespace haldor

int main() {
    return haldor::CAutoUpdateClientApp();
}
