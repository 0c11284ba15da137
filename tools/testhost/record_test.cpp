#include "tools/testhost/record.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include <unistd.h>

#include "runtime/array.h"
#include "runtime/record.h"
#include "runtime/test_folder.h"

namespace testhost {
namespace {

TEST(RecordTest, LabelsAWindowByTheLastPartOfItsAddress) {
    EXPECT_EQ(windowLabel("/opt/game/resource/lobby.html"), "lobby.html");
    EXPECT_EQ(windowLabel("file:///opt/game/resource/login.html?r=1/2"), "login.html");
    EXPECT_EQ(windowLabel("C:\\game\\resource\\reg.html#top"), "reg.html");
    EXPECT_EQ(windowLabel("page.html"), "page.html");
    EXPECT_EQ(windowLabel(""), "");
}

TEST(RecordTest, DescribesValuesReadably) {
    EXPECT_EQ(describe(rt::Value()), "null");
    EXPECT_EQ(describe(rt::Value(true)), "true");
    EXPECT_EQ(describe(rt::Value(517)), "517");
    EXPECT_EQ(describe(rt::Value("say \"hi\"")), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(describe(rt::Value(rt::Array::of({1, "a"}))), "[1,\"a\"]");
    EXPECT_EQ(describe(rt::Value(rt::Record::of({{"w", 2}}))), "{\"w\":2}");
    std::vector<rt::Value> all{rt::Value("x"), rt::Value(), rt::Value(3)};
    EXPECT_EQ(describeAll(all), "\"x\" null 3");
}

TEST(RecordTest, FindsLinesInOrderFromAPositionAndWritesEachLineToTheFileAtOnce) {
    rt::testing::TestFolder folder;
    std::string path = folder.path() + "/record.log";
    Record record(path);
    record.write("invoke", "lobby.html", "loadAppConfig [\"a\"]");
    record.write("call", "", "line\nbreak");
    record.write("invoke", "lobby.html", "init []");

    std::optional<size_t> first = record.find("invoke [lobby.html]", 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(record.line(*first), "invoke [lobby.html] loadAppConfig [\"a\"]");
    std::optional<size_t> second = record.find("invoke [lobby.html]", *first + 1);
    ASSERT_TRUE(second);
    EXPECT_EQ(record.line(*second), "invoke [lobby.html] init []");
    EXPECT_FALSE(record.find("invoke", *second + 1));

    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "0.000 start monotonic_ns=" + std::to_string(record.startNs()) +
                            " pid=" + std::to_string(getpid()));
    // A line break inside a text never splits a record line.
    EXPECT_NE(lines[2].find(" call line break"), std::string::npos) << lines[2];
    double ms = std::stod(lines[3]);
    EXPECT_GE(ms, 0.0);
}

TEST(RecordTest, KeepsEveryLineWhenThreadsWriteAtOnce) {
    Record record;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&record, t] {
            for (int i = 0; i < 200; ++i) record.write("cef_app_posttask", "", std::to_string(t));
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(record.size(), 801u);
}

}  // namespace
}  // namespace testhost
