// "UpdateTemp.ini" may hold anything, and values written to it come from the server. Writing one
// key must leave every other key reading as it did, and a write that is taken must read back as
// written; a write that is refused must leave the file as it was. The input is the section, the
// key and the value, each ended by a backslash and one more byte, then the file.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "updater/ini_file.h"

namespace {

std::string Lower(std::string text) {
    for (auto& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Names the file could hold: every "[...]" text and every text before a "=", with and without
// the blanks around them. Which of them really are keys does not matter: each pair is compared.
std::set<std::pair<std::string, std::string>> CandidateKeys(const std::string& text) {
    std::set<std::string> sections, keys;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find('\n', start);
        std::string line =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (auto open = line.find('['); open != std::string::npos) {
            auto close = line.find(']', open);
            if (close != std::string::npos)
                sections.insert(line.substr(open + 1, close - open - 1));
        }
        if (auto eq = line.find('='); eq != std::string::npos) keys.insert(line.substr(0, eq));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    std::set<std::pair<std::string, std::string>> pairs;
    for (const auto& s : sections)
        for (const auto& k : keys)
            if (pairs.size() < 64) pairs.emplace(s, k);
    return pairs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Every write is flushed to disk; a memory file system keeps that cheap.
    static const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                                  ? "/dev/shm"
                                                  : std::filesystem::temp_directory_path();
    static const std::string folder = [] {
        auto dir = base / ("fuzz_ini_store." + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(base / ("fuzz_ini_store." + std::to_string(::getpid())),
                                        ignored);
        });
        return dir.string();
    }();
    const std::string path = folder + "/UpdateTemp.ini";

    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(32);
    const std::string key = input.ConsumeRandomLengthString(32);
    const std::string value = input.ConsumeRandomLengthString(300);
    const std::string content = input.ConsumeRemainingBytesAsString();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }

    auto others = CandidateKeys(content);
    std::vector<std::string> before;
    for (const auto& [s, k] : others)
        before.push_back(haldor::GetProfileString(path, s, k, "\x01missing", 1024));

    if (!haldor::WriteProfileString(path, section, key, value)) {
        if (Read(path) != content) std::abort();
        return 0;
    }
    if (haldor::GetProfileString(path, section, key, "\x01missing", value.size() + 2) != value)
        std::abort();
    std::size_t i = 0;
    for (const auto& [s, k] : others) {
        bool same_key = Lower(s) == Lower(section) && Lower(k) == Lower(key);
        if (!same_key && haldor::GetProfileString(path, s, k, "\x01missing", 1024) != before[i])
            std::abort();
        ++i;
    }
    return 0;
}
