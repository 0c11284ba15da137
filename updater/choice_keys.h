#pragma once

#include <optional>
#include <string>

#include "updater/update_view.h"

namespace haldor {

// The inputs one view reads for each choice of the window and its boxes: words typed as lines,
// or single keys.
struct ChoiceKeys {
    std::string yes, no;                                    // a Yes/No question
    std::string failure_skip, failure_retry, failure_exit;  // the failure box
    std::string close, skip, switch_server;                 // the main window's buttons
};

// The answer an input gives to a pending question: true for yes, false for no, none for
// anything else (the question stays open).
std::optional<bool> QuestionAnswer(const std::string& input, const ChoiceKeys& keys);

// Runs the action the input names: the failure box's choices first while that box is shown,
// then the main window's buttons, which the modeless box leaves working. Any other input does
// nothing.
void RunChoice(const std::string& input, const ChoiceKeys& keys, bool failure_box,
               DialogActions& actions);

}  // namespace haldor
