#include "plugins/pexmor/batching_process_manager.h"

#include "plugins/core/records.h"
#include "plugins/core/testing/game_run.h"
#include "plugins/core/text_channel.h"

#include <gtest/gtest.h>
#include <json/reader.h>
#include <json/value.h>
#include <json/writer.h>

namespace plug {
namespace {

using testing::GameRun;
using testing::PumpUntil;

class NullSink : public IProcessMessageSink {
public:
    bool OnLinkTimeout() override { return true; }
    bool OnGameClosed(int) override { return true; }
    bool OnGameLinked(bool) override { return linked = true; }
    bool OnGameMessage(uint16_t, uint16_t, const uint8_t*, size_t) override { return true; }
    bool linked = false;
};

constexpr Variant kPexmor{kWidePrefix, kUserFixedLengthWide, 1000, false, true};

// The texts of a batch message as the game received it.
std::vector<std::string> BatchTexts(const testing::LoggedMessage& message) {
    const std::string text(message.payload.begin() + kWidePrefix, message.payload.end());
    Json::Value batch;
    EXPECT_TRUE(Json::Reader().parse(text, batch)) << text;
    std::vector<std::string> texts;
    for (const auto& item : batch) texts.push_back(item.asString());
    return texts;
}

class BatchingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ml_init(), ML_OK) << ml_last_error();
        manager = new BatchingProcessManager(kPexmor);
        manager->SetSink(sink);
        ASSERT_TRUE(manager->LaunchGame(game.Program("link\n", kWidePrefix), 0));
        ASSERT_TRUE(PumpUntil([&] { return sink->linked; })) << game.Log();
    }

    void TearDown() override {
        manager->Dispose();
        ml_shutdown();
    }

    GameRun game;
    std::shared_ptr<NullSink> sink = std::make_shared<NullSink>();
    BatchingProcessManager* manager = nullptr;
};

TEST_F(BatchingTest, TextsQueuedTogetherLeaveAsOneStyledArray) {
    manager->QueueText("one");
    manager->QueueText("two");
    manager->QueueText("three");
    PumpUntil([] { return false; }, 20);
    EXPECT_TRUE(game.Messages(1, 2).empty()) << "held until the flush";
    ml_clock_advance(kFlushDelayMs);
    ASSERT_TRUE(game.WaitForMessages(1, 2)) << game.Log();
    const auto messages = game.Messages(1, 2);
    ASSERT_EQ(messages.size(), 1u);
    Json::Value expected;
    for (const char* t : {"one", "two", "three"}) expected.append(t);
    EXPECT_EQ(messages[0].payload, *TextPayload(Json::StyledWriter().write(expected), kWidePrefix));
    EXPECT_EQ(manager->queued(), 0u);
}

TEST_F(BatchingTest, ImmediateTextOvertakesTheQueue) {
    manager->QueueText("queued");
    manager->SendTextNow("now");
    ml_clock_advance(kFlushDelayMs);
    ASSERT_TRUE(game.WaitForMessages(1, 2, 2)) << game.Log();
    const auto messages = game.Messages(1, 2);
    EXPECT_EQ(std::string(messages[0].payload.begin() + kWidePrefix, messages[0].payload.end()),
              "now");
    EXPECT_EQ(BatchTexts(messages[1]), std::vector<std::string>{"queued"});
}

TEST_F(BatchingTest, LargeQueueIsSplitWithoutLosingATextAndEachFlushRearms) {
    std::vector<std::string> sent;
    for (int i = 0; i < 60; ++i) {
        sent.push_back(
            std::string(static_cast<size_t>(300 + i * 40), static_cast<char>('a' + i % 26)));
        manager->QueueText(sent.back());
    }
    ml_clock_advance(kFlushDelayMs);
    ASSERT_TRUE(PumpUntil([&] { return manager->queued() == 0; }));
    manager->QueueText("later");
    ml_clock_advance(kFlushDelayMs);
    ASSERT_TRUE(game.WaitForLog("value=\"[ \\\"later\\\" ]\\x0a\"")) << game.Log();
    std::vector<std::string> received;
    for (const auto& message : game.Messages(1, 2)) {
        EXPECT_LE(message.payload.size(), kMaxPayload);
        const auto texts = BatchTexts(message);
        received.insert(received.end(), texts.begin(), texts.end());
    }
    sent.push_back("later");
    EXPECT_EQ(received, sent);
}

TEST_F(BatchingTest, QueueBeforeTheWindowExistsIsDropped) {
    auto* fresh = new BatchingProcessManager(kPexmor);
    fresh->QueueText("nowhere");
    EXPECT_EQ(fresh->queued(), 0u);
    fresh->Dispose();
}

}  // namespace
}  // namespace plug
