#pragma once

#include <stdexcept>
#include <string>

namespace rt {

// A file or folder operation that failed; the message names the operation and the path.
class IoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace rt
