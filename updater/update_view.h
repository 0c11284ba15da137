#pragma once

#include <functional>
#include <string>

namespace haldor {

// Button states of the main window.
enum ButtonState { kButtonNormal = 0, kButtonHover = 1, kButtonPressed = 2 };

// Everything the main window draws.
struct DialogPicture {
    std::string title;
    std::string status;
    int overall_percent = 0;  // 0 ... 100, drawn as the progress bar
    // "%d%c (%d/%d)": shown only when `show_progress_text` is set.
    bool show_progress_text = false;
    std::string progress_text;
    int spinner_frame = 0;  // tray icon 130, 131, 132 as frame 0, 1, 2
    bool tray = false;
    ButtonState close = kButtonNormal;
    ButtonState skip = kButtonNormal;
    ButtonState switch_server = kButtonNormal;
};

// What the user can do in the main window and its boxes.
class DialogActions {
public:
    virtual void OnCloseButton() = 0;
    virtual void OnSkipButton() = 0;
    virtual void OnSwitchButton() = 0;
    virtual void OnExitSpot() = 0;
    // The window is closed by the system (its system menu, a signal).
    virtual void OnSystemClose() = 0;
    virtual void OnFailureSkip() = 0;
    virtual void OnFailureRetry() = 0;
    virtual void OnFailureExit() = 0;

protected:
    ~DialogActions() = default;
};

// The window that stands in for the dialog: draws the picture, shows message boxes, asks Yes/No
// questions, and shows the failure box ("跳过", "重试", "退出").
class UpdateView {
public:
    virtual ~UpdateView() = default;
    virtual void Attach(DialogActions* actions) = 0;
    virtual void Show(const DialogPicture& picture) = 0;
    virtual void MessageBox(const std::string& text) = 0;
    // Asks a Yes/No question with the caption "提示"; the answer comes later.
    virtual void Ask(const std::string& question, std::function<void(bool)> answer) = 0;
    virtual void ShowFailureBox(const std::string& text) = 0;
    virtual void HideFailureBox() = 0;
};

}  // namespace haldor
