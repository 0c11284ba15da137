#include "platform/shared/expected.h"

#include <gtest/gtest.h>

#include <memory>

namespace morvick {
namespace {

Expected<int> parsePort(const std::string& text) {
    if (text.empty() || text.size() > 5) return fail("not a port: \"" + text + "\"");
    int port = std::stoi(text);
    if (port < 1 || port > 65535) return fail("port out of range: " + text);
    return port;
}

TEST(Expected, CarriesTheValueOrTheFailureText) {
    Expected<int> good = parsePort("8080");
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(*good, 8080);
    EXPECT_TRUE(good.error().empty());

    Expected<int> bad = parsePort("70000");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error(), "port out of range: 70000");
    EXPECT_THROW((void)bad.value(), std::logic_error);
}

TEST(Expected, MovesValuesThatCannotBeCopied) {
    Expected<std::unique_ptr<int>> made = std::make_unique<int>(7);
    std::unique_ptr<int> taken = std::move(made).value();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(*taken, 7);
}

TEST(Expected, VoidResultsSayWhetherTheyFailed) {
    Expected<void> done;
    EXPECT_TRUE(done.ok());
    Expected<void> refused = fail("cannot write \"/x\": read-only");
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), "cannot write \"/x\": read-only");
}

}  // namespace
}  // namespace morvick
