#include "platform/msgloop/error.h"

#include <cstdarg>
#include <cstdio>

namespace msgloop {

namespace {
thread_local char last_text[512];
}

int fail(int status, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(last_text, sizeof last_text, format, args);
    va_end(args);
    return status;
}

const char* last_error() {
    return last_text;
}

}  // namespace msgloop
