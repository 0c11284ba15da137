// The calling thread's last failure text, behind ml_last_error().
#pragma once

namespace msgloop {

// Records the failure text for the calling thread and answers status.
int fail(int status, const char* format, ...) __attribute__((format(printf, 2, 3)));
const char* last_error();

}  // namespace msgloop
