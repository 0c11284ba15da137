#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "updater/update_view.h"

namespace haldor {

// The window when standard input is not a terminal: every status change is printed as one
// line, boxes are printed as lines starting with "[提示] ", and each choice is read as one line:
// "close", "skip", "switch" for the buttons, "yes"/"no" for a question, "skip"/"retry"/"exit" in
// the failure box. End of input while a choice is awaited closes the window.
class LineView : public UpdateView {
public:
    LineView(int in_fd, int out_fd);
    ~LineView() override;

    void Attach(DialogActions* actions) override;
    void Show(const DialogPicture& picture) override;
    void MessageBox(const std::string& text) override;
    void Ask(const std::string& question, std::function<void(bool)> answer) override;
    void ShowFailureBox(const std::string& text) override;
    void HideFailureBox() override;

private:
    static void OnReadable(int fd, unsigned revents, void* arg);
    void ReadInput();
    void OnLine(const std::string& line);
    void Print(const std::string& line);
    void CloseIfAwaiting();

    int in_fd_;
    int out_fd_;
    DialogActions* actions_ = nullptr;
    std::uint64_t watch_ = 0;
    bool input_ended_ = false;
    std::string pending_;
    std::string last_status_;
    std::function<void(bool)> question_;
    bool failure_box_ = false;
};

}  // namespace haldor
