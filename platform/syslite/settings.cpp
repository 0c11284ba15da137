#include "platform/syslite/settings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "runtime/strings.h"

namespace syslite {
namespace {

std::string envOr(const char* name) {
    const char* v = std::getenv(name);
    return v == nullptr ? std::string() : std::string(v);
}

std::string answersPath() {
    std::string path = envOr("SYSLITE_ANSWERS");
    return path.empty() ? homeFolder() + "/answers.ini" : path;
}

std::optional<std::string> readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

bool headless() {
    std::string forced = envOr("CEFHX_HEADLESS");
    if (!forced.empty()) return forced != "0";
    return envOr("DISPLAY").empty() && envOr("WAYLAND_DISPLAY").empty();
}

std::string homeFolder() {
    std::string home = envOr("SYSLITE_HOME");
    if (!home.empty()) return home;
    std::string config = envOr("XDG_CONFIG_HOME");
    if (config.empty()) {
        std::string user = envOr("HOME");
        config = (user.empty() ? std::string("/tmp") : user) + "/.config";
    }
    return config + "/morvick/syslite";
}

Answers& Answers::instance() {
    static Answers answers;
    return answers;
}

std::map<std::string, std::vector<std::string>> Answers::parse(const std::string& text) {
    std::map<std::string, std::vector<std::string>> values;
    for (const std::string& raw : rt::split(text, "\n")) {
        std::string line = rt::trim(raw);
        if (line.empty() || line[0] == '#') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = rt::trim(line.substr(0, eq));
        if (key.empty()) continue;
        std::vector<std::string> items;
        for (const std::string& item : rt::split(line.substr(eq + 1), ",")) {
            items.push_back(rt::trim(item));
        }
        values[key] = std::move(items);
    }
    return values;
}

std::optional<std::string> Answers::next(const std::string& key) {
    std::optional<std::string> text = readText(answersPath());
    std::lock_guard<std::mutex> guard(lock_);
    if (!text) return std::nullopt;
    if (*text != text_) {
        text_ = *text;
        taken_.clear();
    }
    auto values = parse(text_);
    auto it = values.find(key);
    if (it == values.end()) return std::nullopt;
    size_t& taken = taken_[key];
    size_t index = taken < it->second.size() ? taken : it->second.size() - 1;
    ++taken;
    return it->second[index];
}

}  // namespace syslite
