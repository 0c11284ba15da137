#pragma once

#include <termios.h>

#include <cstdint>
#include <functional>
#include <string>

#include "updater/update_view.h"

namespace haldor {

// The window on a terminal: the title, the status text, the progress bar with its
// "%d%c (%d/%d)" text, a three-frame spinner in place of the tray icon, and the buttons with
// their keys: c close, k skip, w switch server; y/n answer a question; s/r/e are "跳过", "重试",
// "退出" in the failure box. Ctrl-C closes the window.
class TerminalView : public UpdateView {
public:
    TerminalView(int in_fd, int out_fd);
    ~TerminalView() override;

    void Attach(DialogActions* actions) override;
    void Show(const DialogPicture& picture) override;
    void MessageBox(const std::string& text) override;
    void Ask(const std::string& question, std::function<void(bool)> answer) override;
    void ShowFailureBox(const std::string& text) override;
    void HideFailureBox() override;
    // Gives the terminal back its settings.
    void Restore();

private:
    static void OnReadable(int fd, unsigned revents, void* arg);
    void OnKey(char key);
    void Draw();
    void Write(const std::string& text);

    int in_fd_;
    int out_fd_;
    termios saved_{};
    bool raw_ = false;
    DialogActions* actions_ = nullptr;
    std::uint64_t watch_ = 0;
    DialogPicture picture_;
    std::string question_text_;
    std::function<void(bool)> question_;
    std::string failure_text_;
    bool failure_box_ = false;
};

}  // namespace haldor
