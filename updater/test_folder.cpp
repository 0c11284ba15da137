#include "updater/test_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "updater/local_file.h"

namespace haldor {

TestFolder::TestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "haldor-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
    path_ = pattern;
}

TestFolder::~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TestFolder::Write(const std::string& name, const std::string& content) const {
    std::string path = *this / name;
    CreateFoldersFor(path);
    std::ofstream(path, std::ios::binary) << content;
}

std::string TestFolder::Read(const std::string& name) const {
    std::ifstream in(*this / name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace haldor
