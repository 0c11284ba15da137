#include "updater/server_address.h"

#include <array>
#include <cctype>
#include <string>

namespace haldor {
namespace {

constexpr std::size_t kFillerLength = 20;
constexpr std::array<int, 3> kOffsets = {3, 1, 2};
constexpr char kFiller[] = "MorvickUpdateServer0";

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

std::string WithHttpScheme(const std::string& address) {
    std::string head = address.substr(0, 7);
    for (auto& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return head == "http://" ? address : "http://" + address;
}

}  // namespace haldor
