#pragma once

#include <string>

#include "runtime/test_folder.h"

namespace haldor {

// A fresh folder under the system's temporary folder, removed with everything in it, that writes
// and reads whole files by relative name.
class TestFolder : public rt::testing::TestFolder {
public:
    TestFolder() : rt::testing::TestFolder("haldor-") {}

    void Write(const std::string& name, const std::string& content) const;
    std::string Read(const std::string& name) const;
};

}  // namespace haldor
