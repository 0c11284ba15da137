#include "updater/choice_keys.h"

namespace haldor {

std::optional<bool> QuestionAnswer(const std::string& input, const ChoiceKeys& keys) {
    if (input == keys.yes) return true;
    if (input == keys.no) return false;
    return std::nullopt;
}

void RunChoice(const std::string& input, const ChoiceKeys& keys, bool failure_box,
               DialogActions& actions) {
    if (failure_box) {
        if (input == keys.failure_skip)
            actions.OnFailureSkip();
        else if (input == keys.failure_retry)
            actions.OnFailureRetry();
        else if (input == keys.failure_exit)
            actions.OnFailureExit();
        return;
    }
    if (input == keys.close)
        actions.OnCloseButton();
    else if (input == keys.skip)
        actions.OnSkipButton();
    else if (input == keys.switch_server)
        actions.OnSwitchButton();
}

}  // namespace haldor
