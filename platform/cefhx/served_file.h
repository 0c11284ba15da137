// Reading a local file for a page: only a regular file that really lies inside its served folder
// once every symbolic link is resolved, and only up to a size cap.
#pragma once

#include <cstddef>
#include <string>

#include "platform/cefhx/file_url.h"

namespace cefhx {

// The largest local file the host serves to a page.
inline constexpr size_t kServedFileCap = 256u << 20;

struct ServedFile {
    enum class Status { Ok, Missing, Refused };
    Status status = Status::Missing;
    std::string body;
    // Why a file was refused, naming the path.
    std::string why;
};

ServedFile readServedFile(const ServedPath& where, size_t cap = kServedFileCap);

}  // namespace cefhx
