#pragma once

#include <array>
#include <cstdint>

#include "runtime/object.h"

namespace syslite::win {

// Window-message numbers by name, for code that looks a message up by name: each static is named
// after a window message without its "WM_" prefix; TRAYEVENT is the tray icon's own message.
class Events final : public rt::Object {
    RT_CLASS(Events)
public:
    static constexpr int kCount = 85;

    // Sets every message number.
    static void initStatics();

private:
    static inline std::array<int32_t, kCount> numbers_{};
};

}  // namespace syslite::win
