// Sondrel: texts behind the 4-byte prefix, sent at once; the link acknowledgement is followed
// by (3,104).

#include "plugins/core/narrow_primitives.h"

namespace {

using plug::ProcessManager;

constexpr plug::Variant kSondrel{
    .textPrefix = plug::kNarrowPrefix,
    .userFixedLength = plug::kUserFixedLengthNarrow,
    .linkCheckMs = 1000,
    .linkFollowUp = true,
    .linkAlwaysRelinked = false,
};

ProcessManager* MakeManager(const plug::Variant& variant) {
    return new ProcessManager(variant);
}

plug::Lib& TheLib() {
    static plug::Lib lib(kSondrel, &MakeManager);
    return lib;
}

}  // namespace

PLUG_NARROW_PRIMITIVES(TheLib)
