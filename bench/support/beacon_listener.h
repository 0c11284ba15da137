// A loopback HTTP listener that pages under benchmark report figures to: every request
// "GET /<name>?<number>" is answered 204 and keeps its number under the name.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace bench {

class BeaconListener {
public:
    BeaconListener();
    ~BeaconListener();
    BeaconListener(const BeaconListener&) = delete;
    BeaconListener& operator=(const BeaconListener&) = delete;

    int port() const { return port_; }
    // Waits for the next report under the name (taking it), or gives up after the time.
    std::optional<double> take(const std::string& name, int timeoutMs);

private:
    void serve();
    void answer(int client);

    int listener_ = -1;
    int port_ = 0;
    int stop_[2] = {-1, -1};
    std::mutex mutex_;
    std::condition_variable reported_;
    std::multimap<std::string, double> reports_;
    std::thread thread_;
};

// Parses "GET /<name>?<number> HTTP/1.x": the name (letters, digits, '-') and the number.
std::optional<std::pair<std::string, double>> parseBeacon(const std::string& requestHead);

}  // namespace bench
