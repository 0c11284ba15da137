#pragma once

#include <string>

#include "updater/update_view.h"

namespace haldor {

class CAutoUpdateClientDlg;

// The failure box: caption "提示", the failure text, and the buttons "跳过", "重试", "退出".
// Created hidden; modeless.
class CDialogMsg {
public:
    CDialogMsg(CAutoUpdateClientDlg* owner, UpdateView* view) : owner_(owner), view_(view) {}

    void SetText(const std::string& text) { text_ = text; }
    const std::string& text() const { return text_; }
    void Show();
    bool visible() const { return visible_; }

    // "跳过": closes the box and starts the lobby.
    void OnSkip();
    // "重试": closes the box and starts again from the first server.
    void OnRetry();
    // "退出": closes the box and closes the main window.
    void OnExit();

private:
    void Close();

    CAutoUpdateClientDlg* owner_;
    UpdateView* view_;
    std::string text_ = "抱歉，升级失败！";
    std::string shown_text_;
    bool visible_ = false;
};

}  // namespace haldor
