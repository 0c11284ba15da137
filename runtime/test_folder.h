#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/shared/no_copy.h"

namespace rt::testing {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
// Its name is the stem and six random characters.
class TestFolder : private morvick::NoCopy {
public:
    explicit TestFolder(const std::string& stem = "morvick-") {
        std::string pattern = (std::filesystem::temp_directory_path() / (stem + "XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp " + pattern);
        path_ = pattern;
    }
    ~TestFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::string& path() const { return path_; }
    // The folder with a relative name appended after a "/".
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace rt::testing
