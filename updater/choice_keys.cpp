#include "updater/choice_keys.h"

namespace haldor {

std::optional<bool> QuestionAnswer(const std::string& input, const ChoiceKeys& keys) {
    if (input == keys.yes) return true;
    if (input == keys.no) return false;
    return std::nullopt;
}

void RunChoice(const std::string& input, const ChoiceKeys& keys, bool failure_box,
               DialogActions& actions) {
    // The failure box is modeless: its choices come first, the window's buttons still work.
    if (failure_box) {
        if (input == keys.failure_skip) {
            actions.OnFailureSkip();
            return;
        }
        if (input == keys.failure_retry) {
            actions.OnFailureRetry();
            return;
        }
        if (input == keys.failure_exit) {
            actions.OnFailureExit();
            return;
        }
    }
    if (input == keys.close)
        actions.OnCloseButton();
    else if (input == keys.skip)
        actions.OnSkipButton();
    else if (input == keys.switch_server)
        actions.OnSwitchButton();
}

}  // namespace haldor
