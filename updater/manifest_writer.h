#pragma once

#include <string>
#include <vector>

#include "updater/update_file.h"

namespace haldor {

// Writes manifests in the servers' layout and encoding (GB2312 read as GB18030), for tests
// and fixtures.
struct ManifestProduct {
    std::string product_version;
    std::string max_version;
    std::vector<std::string> urls;  // up to eight
};

std::string ManifestText(const ManifestProduct& product, const std::vector<CUpdateFile>& files);

}  // namespace haldor
