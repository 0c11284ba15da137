#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/shared/no_copy.h"

namespace testhttp {

struct NginxOptions {
    std::filesystem::path root;         // the folder served at "/"
    std::optional<uint64_t> limitRate;  // bytes per second per connection, when set
};

// A real nginx on 127.0.0.1 for checks against a production server: writes its configuration
// into a fresh temporary folder (pid, logs and temporary paths all inside it), starts
// /usr/sbin/nginx in the foreground as one process, waits until it accepts connections, and
// stops it and removes the folder on destruction. Works as root and as an ordinary user.
class NginxFixture : private morvick::NoCopy {
public:
    static constexpr const char* kBinary = "/usr/sbin/nginx";

    // Why nginx cannot run here (for GTEST_SKIP), or nothing when it can.
    static std::optional<std::string> unavailable();

    // Throws std::runtime_error with nginx's error log when it does not come up.
    explicit NginxFixture(NginxOptions options);
    ~NginxFixture();

    uint16_t port() const { return port_; }
    std::string url(std::string_view path = "") const;
    const std::filesystem::path& dir() const { return dir_; }
    std::string errorLog() const;

private:
    std::string config() const;
    // Starts nginx on port_; false when it exited because the port was taken meanwhile.
    bool tryStart();
    void stop();

    NginxOptions options_;
    std::filesystem::path dir_;
    uint16_t port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace testhttp
