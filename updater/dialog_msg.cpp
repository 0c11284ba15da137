#include "updater/dialog_msg.h"

#include "updater/update_dialog.h"

namespace haldor {

void CDialogMsg::Show() {
    if (visible_ && shown_text_ == text_) return;
    visible_ = true;
    shown_text_ = text_;
    view_->ShowFailureBox(text_);
}

void CDialogMsg::Close() {
    if (!visible_) return;
    visible_ = false;
    view_->HideFailureBox();
}

void CDialogMsg::OnSkip() {
    Close();
    owner_->StartLobby();
}

void CDialogMsg::OnRetry() {
    Close();
    owner_->SwitchServer(true);
}

void CDialogMsg::OnExit() {
    Close();
    owner_->PostClose();
}

}  // namespace haldor
