// Sondrel: texts behind the 4-byte prefix, sent at once; the link acknowledgement is followed
// by (3,104).

#include "plugins/core/narrow_primitives.h"

namespace {

constexpr plug::Variant kSondrel{.linkFollowUp = true};

plug::Lib& TheLib() {
    return plug::LibOf<kSondrel>();
}

}  // namespace

PLUG_NARROW_PRIMITIVES(TheLib)
