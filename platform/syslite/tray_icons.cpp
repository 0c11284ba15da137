#include "platform/syslite/tray_icons.h"

#include <cstdlib>

#include "platform/msgloop/msgloop.h"
#include "platform/shared/platform_log.h"
#include "platform/shared/system_messages.h"
#include "platform/syslite/settings.h"

namespace syslite {
namespace {

struct Click {
    int number;
    int mouseMessage;
};

void runClick(void* arg) {
    auto* click = static_cast<Click*>(arg);
    TrayIcons::instance().deliver(click->number, click->mouseMessage);
    delete click;
}

int asNumber(const std::optional<std::string>& text, int fallback) {
    if (!text || text->empty()) return fallback;
    char* end = nullptr;
    long n = std::strtol(text->c_str(), &end, 10);
    if (*end != '\0' || n < 0 || n > 0x7fffffff) return fallback;
    return static_cast<int>(n);
}

}  // namespace

TrayIcons& TrayIcons::instance() {
    static TrayIcons icons;
    return icons;
}

int TrayIcons::add(Icon icon) {
    std::lock_guard<std::mutex> guard(lock_);
    icons_[++last_] = std::move(icon);
    return last_;
}

bool TrayIcons::remove(int number) {
    std::lock_guard<std::mutex> guard(lock_);
    return icons_.erase(number) > 0;
}

std::optional<TrayIcons::Icon> TrayIcons::find(int number) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = icons_.find(number);
    if (it == icons_.end()) return std::nullopt;
    return it->second;
}

bool TrayIcons::deliver(int number, int mouseMessage) const {
    std::optional<Icon> icon = find(number);
    std::string what =
        "tray icon " + std::to_string(number) + " mouse message " + std::to_string(mouseMessage);
    if (!icon) {
        platform::log("syslite", what + " not delivered: the icon is gone");
        return false;
    }
    if (icon->owner == 0) {
        platform::log("syslite", what + " not delivered: the icon has no owner window");
        return false;
    }
    int status = ml_post(icon->owner, SYSMSG_TRAY, static_cast<uintptr_t>(number), mouseMessage);
    if (status != ML_OK) {
        platform::log("syslite", what + " not delivered to window " + std::to_string(icon->owner) +
                                     ": " + ml_last_error());
        return false;
    }
    platform::log("syslite", what + " posted to window " + std::to_string(icon->owner));
    return true;
}

void TrayIcons::scheduleConfiguredClick(int number) const {
    Answers& answers = Answers::instance();
    int mouseMessage = asNumber(answers.next("tray_click"), 0);
    if (mouseMessage == 0) return;
    int delay = asNumber(answers.next("tray_click_delay_ms"), 0);
    auto* click = new Click{number, mouseMessage};
    int status = ml_post_task(runClick, click, static_cast<uint32_t>(delay));
    if (status != ML_OK) {
        delete click;
        platform::log("syslite", "simulated click on tray icon " + std::to_string(number) +
                                     " not scheduled: " + ml_last_error());
        return;
    }
    platform::log("syslite", "simulated click " + std::to_string(mouseMessage) + " on tray icon " +
                                 std::to_string(number) + " in " + std::to_string(delay) + " ms");
}

}  // namespace syslite
