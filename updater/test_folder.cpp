#include "updater/test_folder.h"

#include <fstream>
#include <iterator>

#include "updater/local_file.h"

namespace haldor {

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
