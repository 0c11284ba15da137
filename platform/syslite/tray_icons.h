#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace syslite {

// The tray icons the program made. Linux offers no notification area here, so an icon is the
// state the program gave it; its "mouse events" are posted to its owner window as SYSMSG_TRAY
// (platform/shared/system_messages.h).
class TrayIcons {
public:
    struct Icon {
        uint32_t owner = 0;  // message-loop window handle
        std::string iconPath;
        std::string tooltip;
    };

    static TrayIcons& instance();

    // Answers the new icon's number (1, 2, ...; never reused).
    int add(Icon icon);
    bool remove(int number);
    std::optional<Icon> find(int number) const;

    // Posts the mouse message to the icon's owner. Answers false, with a log line saying why,
    // when the icon is gone, has no owner or the message loop refuses the post.
    bool deliver(int number, int mouseMessage) const;

    // Posts the simulated click the answers file asks for ("tray_click", after
    // "tray_click_delay_ms"), if any, from the message loop.
    void scheduleConfiguredClick(int number) const;

private:
    mutable std::mutex lock_;
    std::map<int, Icon> icons_;
    int last_ = 0;
};

}  // namespace syslite
