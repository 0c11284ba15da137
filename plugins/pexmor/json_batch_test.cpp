#include "plugins/pexmor/json_batch.h"

#include <gtest/gtest.h>
#include <json/reader.h>
#include <json/value.h>
#include <json/writer.h>

namespace plug {
namespace {

constexpr size_t kLimit = 9716;

std::vector<std::string> Parse(const std::string& batch) {
    Json::Value value;
    Json::Reader reader;
    EXPECT_TRUE(reader.parse(batch, value)) << batch;
    std::vector<std::string> texts;
    for (const auto& item : value) texts.push_back(item.asString());
    return texts;
}

TEST(JsonBatch, SmallTextsMakeOneStyledArrayInOrder) {
    std::deque<std::string> queue{"one", "two", "three"};
    const auto batches = DrainBatches(queue, kLimit);
    EXPECT_TRUE(queue.empty());
    ASSERT_EQ(batches.size(), 1u);
    Json::Value expected;
    for (const char* t : {"one", "two", "three"}) expected.append(t);
    EXPECT_EQ(batches[0], Json::StyledWriter().write(expected));
    EXPECT_EQ(Parse(batches[0]), (std::vector<std::string>{"one", "two", "three"}));
}

TEST(JsonBatch, ClosesOnceTheStyledTextReaches2049Characters) {
    std::deque<std::string> queue;
    for (int i = 0; i < 100; ++i)
        queue.push_back(std::string(100, static_cast<char>('a' + i % 26)));
    const std::deque<std::string> all = queue;
    const auto batches = DrainBatches(queue, kLimit);
    ASSERT_GT(batches.size(), 1u);
    std::vector<std::string> joined;
    for (size_t b = 0; b < batches.size(); ++b) {
        const auto texts = Parse(batches[b]);
        ASSERT_FALSE(texts.empty());
        joined.insert(joined.end(), texts.begin(), texts.end());
        Json::Value without;
        for (size_t t = 0; t + 1 < texts.size(); ++t) without.append(texts[t]);
        EXPECT_LT(Json::StyledWriter().write(without).size(), kBatchCloseLength)
            << "the last text was added while the batch was still short";
        if (b + 1 < batches.size()) {
            EXPECT_GE(batches[b].size(), kBatchCloseLength);
        }
    }
    EXPECT_EQ(joined, std::vector<std::string>(all.begin(), all.end()));
}

TEST(JsonBatch, ClosesBeforeTheSendLimitInsteadOfLosingTexts) {
    const std::string a(1500, 'a');
    const std::string b(8500, 'b');
    Json::Value both;
    both.append(a);
    both.append(b);
    ASSERT_GT(Json::StyledWriter().write(both).size(), kLimit)
        << "the two would not fit one message";
    std::deque<std::string> queue{a, b, "c"};
    const auto batches = DrainBatches(queue, kLimit);
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(Parse(batches[0]), std::vector<std::string>{a});
    EXPECT_EQ(Parse(batches[1]), std::vector<std::string>{b});
    EXPECT_EQ(Parse(batches[2]), std::vector<std::string>{"c"});
    for (const auto& batch : batches) EXPECT_LE(batch.size(), kLimit);
}

TEST(JsonBatch, SingleOversizedTextStaysAloneInItsBatch) {
    std::deque<std::string> queue{"x", std::string(9800, 'y'), "z"};
    const auto batches = DrainBatches(queue, kLimit);
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(Parse(batches[0]), std::vector<std::string>{"x"});
    EXPECT_GT(batches[1].size(), kLimit);
    EXPECT_EQ(Parse(batches[2]), std::vector<std::string>{"z"});
}

}  // namespace
}  // namespace plug
