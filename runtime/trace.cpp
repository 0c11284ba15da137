#include "runtime/trace.h"

#include <cstdio>
#include <string>

namespace rt {

void trace(std::string_view file, int line, const Value& message) {
    if (auto slash = file.find_last_of('/'); slash != std::string_view::npos) {
        file.remove_prefix(slash + 1);
    }
    std::string text = message.toString();
    std::printf("%.*s:%d: %s\n", static_cast<int>(file.size()), file.data(), line, text.c_str());
    std::fflush(stdout);
}

}  // namespace rt
