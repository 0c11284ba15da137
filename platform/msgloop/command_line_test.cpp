#include "platform/msgloop/command_line.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace msgloop {
namespace {

using Args = std::vector<std::string>;

TEST(SplitArguments, QuotesAndBackslashes) {
    EXPECT_EQ(split_arguments("a  b\tc"), (Args{"a", "b", "c"}));
    EXPECT_EQ(split_arguments("\"a b\" c"), (Args{"a b", "c"}));
    EXPECT_EQ(split_arguments("x\"a b\"y"), (Args{"xa by"}));
    EXPECT_EQ(split_arguments("\"\""), (Args{""}));
    EXPECT_EQ(split_arguments("\"a\"\"b\""), (Args{"a\"b"}));
    EXPECT_EQ(split_arguments("C:\\dir\\file"), (Args{"C:\\dir\\file"}));
    EXPECT_EQ(split_arguments("a\\\"b"), (Args{"a\"b"}));
    EXPECT_EQ(split_arguments("a\\\\\"b c\""), (Args{"a\\b c"}));
    EXPECT_EQ(split_arguments("a\\\\\\\"b"), (Args{"a\\\"b"}));
    EXPECT_EQ(split_arguments("\"dir\\\\\" next"), (Args{"dir\\", "next"}));
    EXPECT_EQ(split_arguments("\"open ended"), (Args{"open ended"}));
    EXPECT_TRUE(split_arguments("   ").empty());
}

TEST(SplitCommandLine, ProgramNameWithSpacesGrowsUntilAProgramIsFound) {
    auto only = [](const std::string& name) {
        return [name](const std::string& s) { return s == name; };
    };
    EXPECT_EQ(split_command_line("/opt/my games/fish game /Transmittal:-5",
                                 only("/opt/my games/fish game")),
              (Args{"/opt/my games/fish game", "/Transmittal:-5"}));
    // Nothing found: the first token is the program and the rest are arguments.
    EXPECT_EQ(split_command_line("/opt/my games/x a", only("none")),
              (Args{"/opt/my", "games/x", "a"}));
    // A quoted program is taken whole, with no search and no escapes.
    EXPECT_EQ(split_command_line("  \"C:\\a b\\g.exe\" /RoomType:3", only("none")),
              (Args{"C:\\a b\\g.exe", "/RoomType:3"}));
    EXPECT_TRUE(split_command_line("", only("none")).empty());
}

TEST(FindProgram, ExecutablesOnlyWithExeFallback) {
    char pattern[] = "/tmp/msgloop-find-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = pattern;
    std::ofstream(dir + "/tool") << "#!/bin/sh\n";
    std::ofstream(dir + "/data") << "x";
    chmod((dir + "/tool").c_str(), 0700);

    EXPECT_EQ(find_program(dir + "/tool"), dir + "/tool");
    EXPECT_EQ(find_program(dir + "/tool.exe"), dir + "/tool");
    EXPECT_EQ(find_program(dir + "/TOOL.EXE"), std::nullopt);
    EXPECT_EQ(find_program(dir + "/data"), std::nullopt);
    EXPECT_EQ(find_program(dir + "/missing.exe"), std::nullopt);
    EXPECT_TRUE(find_program("sh").has_value());

    unlink((dir + "/tool").c_str());
    unlink((dir + "/data").c_str());
    rmdir(dir.c_str());
}

}  // namespace
}  // namespace msgloop
