#include "platform/zorbtools/hardware_text.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "runtime/strings.h"

namespace zorbtools {
namespace {

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return rt::trim(line);
}

// The first value of each of these keys, in this order: x86 names the vendor and model,
// ARM the hardware, implementer and part.
std::string processor(const std::string& path) {
    static const std::vector<std::string> keys = {"vendor_id", "model name", "Hardware",
                                                  "CPU implementer", "CPU part"};
    std::vector<std::string> found(keys.size());
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string key = rt::trim(line.substr(0, colon));
        for (size_t i = 0; i < keys.size(); ++i) {
            if (key == keys[i] && found[i].empty()) found[i] = rt::trim(line.substr(colon + 1));
        }
    }
    std::string text;
    for (const std::string& part : found) {
        if (part.empty()) continue;
        if (!text.empty()) text += ' ';
        text += part;
    }
    return text;
}

}  // namespace

std::string hardwareText(const std::string& root) {
    std::string machine = firstLine(root + "/etc/machine-id");
    if (machine.empty()) machine = firstLine(root + "/var/lib/dbus/machine-id");
    std::vector<std::string> board;
    for (const char* part : {"vendor", "name", "version", "serial"}) {
        board.push_back(firstLine(root + "/sys/class/dmi/id/board_" + part));
    }
    return "machine=" + machine + ";cpu=" + processor(root + "/proc/cpuinfo") +
           ";board=" + rt::join(board, "|");
}

}  // namespace zorbtools
