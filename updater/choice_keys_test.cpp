#include "updater/choice_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace haldor {
namespace {

class RecordedActions : public DialogActions {
public:
    std::vector<std::string> calls;
    void OnCloseButton() override { calls.push_back("close"); }
    void OnSkipButton() override { calls.push_back("skip"); }
    void OnSwitchButton() override { calls.push_back("switch"); }
    void OnExitSpot() override { calls.push_back("exit spot"); }
    void OnSystemClose() override { calls.push_back("system close"); }
    void OnFailureSkip() override { calls.push_back("failure skip"); }
    void OnFailureRetry() override { calls.push_back("failure retry"); }
    void OnFailureExit() override { calls.push_back("failure exit"); }
};

const ChoiceKeys kKeys{"y", "n", "s", "r", "e", "c", "k", "w"};

TEST(ChoiceKeysTest, QuestionsTakeOnlyYesOrNo) {
    EXPECT_EQ(QuestionAnswer("y", kKeys), true);
    EXPECT_EQ(QuestionAnswer("n", kKeys), false);
    EXPECT_EQ(QuestionAnswer("c", kKeys), std::nullopt);
    EXPECT_EQ(QuestionAnswer("", kKeys), std::nullopt);
}

TEST(ChoiceKeysTest, TheModelessFailureBoxTakesItsChoicesFirstAndLeavesTheButtonsWorking) {
    RecordedActions actions;
    for (const char* input : {"s", "r", "e", "c", "k", "w", "y"}) {
        RunChoice(input, kKeys, true, actions);
    }
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"failure skip", "failure retry",
                                                       "failure exit", "close", "skip", "switch"}));

    actions.calls.clear();
    for (const char* input : {"c", "k", "w", "s", "r", "e", "n"}) {
        RunChoice(input, kKeys, false, actions);
    }
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"close", "skip", "switch"}));
}

TEST(ChoiceKeysTest, AWordSharedByTheBoxAndAButtonAnswersTheBox) {
    const ChoiceKeys words{"yes", "no", "skip", "retry", "exit", "close", "skip", "switch"};
    RecordedActions actions;
    for (const char* input : {"skip", "close", "switch"}) RunChoice(input, words, true, actions);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"failure skip", "close", "switch"}));
}

}  // namespace
}  // namespace haldor
