#include "lobby/clientini/client_ini_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "runtime/test_folder.h"

namespace clientini {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(ClientIniFile, ScrambleThenUnscrambleGivesTheFileBack) {
    rt::testing::TestFolder folder;
    const std::string plain =
        "<data><product>Lobby \xe5\xa4\xa7\xe5\x8e\x85</product><games>a,b</games></data>\r\n";
    writeFile(folder / "Client.ini", plain);
    convertFile(folder / "Client.ini", folder / "scrambled.ini", Direction::Scramble);
    const std::string scrambled = readFile(folder / "scrambled.ini");
    ASSERT_EQ(scrambled.size(), plain.size());
    EXPECT_NE(scrambled[0], '<');
    EXPECT_EQ(scrambled.find("product"), std::string::npos);

    convertFile(folder / "scrambled.ini", folder / "scrambled.ini", Direction::Unscramble);
    EXPECT_EQ(readFile(folder / "scrambled.ini"), plain);
}

TEST(ClientIniFile, RefusesToConvertAFileAlreadyInTheTargetForm) {
    rt::testing::TestFolder folder;
    writeFile(folder / "Client.ini", "<data/>");
    EXPECT_THROW(convertFile(folder / "Client.ini", folder / "out", Direction::Unscramble),
                 std::runtime_error);
    convertFile(folder / "Client.ini", folder / "Client.ini", Direction::Scramble);
    const std::string once = readFile(folder / "Client.ini");
    EXPECT_THROW(convertFile(folder / "Client.ini", folder / "Client.ini", Direction::Scramble),
                 std::runtime_error);
    EXPECT_EQ(readFile(folder / "Client.ini"), once);
    EXPECT_THROW(convertFile(folder / "missing.ini", folder / "out", Direction::Scramble),
                 std::runtime_error);
}

}  // namespace
}  // namespace clientini
