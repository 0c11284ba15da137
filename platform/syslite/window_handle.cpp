#include "platform/syslite/window_handle.h"

#include <cstdlib>
#include <string>

namespace syslite {

uint32_t windowHandle(const rt::Value& v) {
    long long n = 0;
    if (v.isInt()) {
        n = v.toInt();
    } else if (v.isFloat()) {
        double f = v.toFloat();
        if (!(f >= 1 && f <= 2147483647.0) || f != static_cast<double>(static_cast<long long>(f)))
            return 0;
        n = static_cast<long long>(f);
    } else if (v.isString()) {
        std::string text(v.str());
        if (text.empty() || text.size() > 10) return 0;
        for (char c : text) {
            if (c < '0' || c > '9') return 0;
        }
        n = std::strtoll(text.c_str(), nullptr, 10);
    }
    return n >= 1 && n <= 0x7fffffff ? static_cast<uint32_t>(n) : 0;
}

}  // namespace syslite
