#pragma once

#include <string>

namespace testhttp {

enum class Received { Bytes, Closed, WouldBlock, Failed };

// One receive from the socket, appended to `out` and gone on with after an interruption. A
// failure leaves errno as the receive set it.
Received receiveSome(int fd, std::string& out);

}  // namespace testhttp
