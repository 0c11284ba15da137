#include "updater/server_address.h"

#include <array>
#include <cctype>
#include <string>

#include "updater/control_chars.h"

namespace haldor {
namespace {

constexpr std::size_t kFillerLength = 20;
constexpr std::array<int, 3> kOffsets = {3, 1, 2};
constexpr char kFiller[] = "MorvickUpdateServer0";

bool HostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
}

bool PathCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_' ||
           c == '/';
}

bool PlainPort(const std::string& digits) {
    if (digits.empty() || digits.size() > 5) return false;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    long port = std::stol(digits);
    return port >= 1 && port <= 65535;
}

bool PlainPath(const std::string& path) {
    for (char c : path)
        if (!PathCharacter(c)) return false;
    return ("/" + path + "/").find("/../") == std::string::npos;
}

bool PlainAddress(const std::string& address) {
    std::string rest = WithHttpScheme(address).substr(7);
    auto slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    if (slash != std::string::npos && !PlainPath(rest.substr(slash))) return false;
    auto colon = authority.find(':');
    std::string host = authority.substr(0, colon);
    if (host.empty() || host.size() > 253) return false;
    for (char c : host)
        if (!HostCharacter(c)) return false;
    return colon == std::string::npos || PlainPort(authority.substr(colon + 1));
}

}  // namespace

std::string DecodeStoredAddress(const std::string& stored) {
    if (stored.size() <= kFillerLength) return stored;
    std::string address = stored.substr(kFillerLength);
    for (std::size_t i = 0; i < address.size(); ++i)
        address[i] = static_cast<char>(address[i] - kOffsets[i % kOffsets.size()]);
    return address;
}

std::string EncodeStoredAddress(const std::string& address) {
    std::string stored(kFiller, kFillerLength);
    for (std::size_t i = 0; i < address.size(); ++i)
        stored += static_cast<char>(address[i] + kOffsets[i % kOffsets.size()]);
    return stored;
}

bool IsStorableServerAddress(const std::string& stored) {
    if (HasControlCharacter(stored)) return false;
    if (stored.empty() || stored.front() == ' ' || stored.back() == ' ') return false;
    return PlainAddress(DecodeStoredAddress(stored));
}

std::string WithHttpScheme(const std::string& address) {
    std::string head = address.substr(0, 7);
    for (auto& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return head == "http://" ? address : "http://" + address;
}

}  // namespace haldor
