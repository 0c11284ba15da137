#include "platform/syslite/command_line.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "runtime/test_folder.h"

namespace syslite {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, SeparatesAtWhiteSpaceAndGroupsQuotes) {
    EXPECT_EQ(splitCommandLine("/S"), Args({"/S"}));
    EXPECT_EQ(splitCommandLine("  a\tb   c  "), Args({"a", "b", "c"}));
    EXPECT_EQ(splitCommandLine("\"C:\\Program Files\\x\" -v"),
              Args({"C:\\Program Files\\x", "-v"}));
    EXPECT_EQ(splitCommandLine("a\"b c\"d"), Args({"ab cd"}));
    EXPECT_EQ(splitCommandLine(""), Args());
    EXPECT_EQ(splitCommandLine("   "), Args());
}

TEST(SplitCommandLine, KeepsEmptyQuotedArguments) {
    EXPECT_EQ(splitCommandLine("\"\" x \"\""), Args({"", "x", ""}));
}

TEST(SplitCommandLine, BackslashesAreLiteralUnlessTheyPrecedeAQuote) {
    EXPECT_EQ(splitCommandLine("a\\b\\\\c"), Args({"a\\b\\\\c"}));
    EXPECT_EQ(splitCommandLine("\\\"x"), Args({"\"x"}));
    EXPECT_EQ(splitCommandLine("\\\\\"a b\""), Args({"\\a b"}));
    EXPECT_EQ(splitCommandLine("\"dir\\\\\" next"), Args({"dir\\", "next"}));
    EXPECT_EQ(splitCommandLine("trailing\\"), Args({"trailing\\"}));
}

TEST(SplitCommandLine, DoubledQuoteInsideQuotesIsAQuote) {
    EXPECT_EQ(splitCommandLine("\"say \"\"hi\"\"\" x"), Args({"say \"hi\"", "x"}));
}

void makeFile(const std::string& path, mode_t mode) {
    std::ofstream(path) << "#!/bin/sh\n";
    ::chmod(path.c_str(), mode);
}

TEST(ResolveProgram, ExeNameFallsBackToTheFileWithoutExtension) {
    rt::testing::TestFolder dir;
    makeFile(dir / "game", 0755);
    EXPECT_EQ(resolveProgram(dir.path() + "\\game.exe"), dir / "game");
    EXPECT_EQ(resolveProgram(dir.path() + "/game.EXE"), dir / "game");
    EXPECT_EQ(resolveProgram(dir / "game"), dir / "game");
}

TEST(ResolveProgram, PrefersAnExistingExeAndRefusesWhatCannotRun) {
    rt::testing::TestFolder dir;
    makeFile(dir / "tool.exe", 0755);
    makeFile(dir / "tool", 0755);
    EXPECT_EQ(resolveProgram(dir / "tool.exe"), dir / "tool.exe");

    makeFile(dir / "plain", 0644);
    EXPECT_EQ(resolveProgram(dir / "plain"), std::nullopt);
    EXPECT_EQ(resolveProgram(dir / "plain.exe"), std::nullopt);
    EXPECT_EQ(resolveProgram(dir / "missing.exe"), std::nullopt);
    EXPECT_EQ(resolveProgram(dir.path()), std::nullopt);
    EXPECT_EQ(resolveProgram(""), std::nullopt);
}

}  // namespace
}  // namespace syslite
