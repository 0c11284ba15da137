// "Client.ini" (plain or scrambled) and "UserSet.ini" are files in the working folder. Reading
// takes any bytes; user settings written from the template read back as they were, whatever
// the values held, or are refused for a character XML cannot hold.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "lobby/app/position_key.h"
#include "lobby/app/settings_file.h"
#include "runtime/xml.h"

namespace {

constexpr std::string_view kTemplate =
    "<data><ver>#VER#</ver><hotkey>#HOTKEY#</hotkey><username>#USERNAME#</username>"
    "<password>#PASSWORD#</password><games>#GAMES#</games></data>";
constexpr std::array<std::pair<std::string_view, const char*>, 5> kMarks = {
    {{"#HOTKEY#", "hotkey"},
     {"#VER#", "ver"},
     {"#USERNAME#", "username"},
     {"#PASSWORD#", "password"},
     {"#GAMES#", "games"}}};

void readAny(const std::string& text) {
    try {
        (void)lobby::readSettingsXml(text, "fuzz.ini");
    } catch (const std::runtime_error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    readAny(text);
    std::vector<uint8_t> scrambled(data, data + size);
    lobby::applyPositionKey(scrambled);
    readAny(std::string(scrambled.begin(), scrambled.end()));

    // The input split at "|" gives the five values, in the order of kMarks.
    std::array<std::string, 5> values;
    size_t at = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        const size_t bar = i + 1 < values.size() ? text.find('|', at) : std::string::npos;
        values[i] = text.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
        if (bar == std::string::npos) break;
        at = bar + 1;
    }
    std::vector<std::pair<std::string_view, std::string>> marks;
    for (size_t i = 0; i < kMarks.size(); ++i) {
        if (!lobby::xmlCanHold(values[i])) return 0;
        marks.emplace_back(kMarks[i].first, rt::escapeXmlText(values[i]));
    }
    const std::map<std::string, std::string> back =
        lobby::readSettingsXml(lobby::fillTemplate(kTemplate, marks), "UserSet.ini");
    for (size_t i = 0; i < kMarks.size(); ++i) {
        const auto found = back.find(kMarks[i].second);
        const std::string value = found == back.end() ? std::string() : found->second;
        if (value != values[i]) std::abort();
    }
    return 0;
}
