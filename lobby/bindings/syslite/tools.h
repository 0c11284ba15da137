#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/syslite/primitive_list.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace syslite::win {

// Process creation and executable-icon replacement. Each primitive is bound on the first call
// of its member, and only on Windows.
class Tools final : public rt::Object {
    RT_CLASS(Tools)
public:
    SYSLITE_TOOLS_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Leaves both primitives unbound until their first use.
    static void initStatics();

    // A null index means 1.
    static bool replaceExeIcon(std::optional<std::string> exe, std::optional<std::string> icon,
                               rt::Value index);
    // Starts a program: its path first, its command line second. Answers the library's Int.
    static int32_t createProcess(std::optional<std::string> a, std::optional<std::string> b,
                                 std::optional<std::string> c, bool d, bool e);
};

}  // namespace syslite::win
