// X protocol errors of a library's own connections, kept instead of Xlib's default handling
// (which ends the process). Errors of any other connection go to the handler that was installed
// before, so libraries of one process that each trap their own connections do not disturb each
// other.
#pragma once

#include <X11/Xlib.h>

namespace platform {

// Starts keeping the errors of this connection.
void trapXErrors(Display* display);
// Stops keeping them; call before XCloseDisplay.
void untrapXErrors(Display* display);
// Waits for the server to handle every request sent so far (XSync) and answers the first error
// code since the last call, 0 when there was none.
int takeXError(Display* display);

}  // namespace platform
