#include "platform/msgloop/fd_watches.h"

namespace msgloop {

uint64_t FdWatches::add(const FdWatch& watch) {
    watches_[++next_id_] = watch;
    return next_id_;
}

bool FdWatches::remove(uint64_t id) {
    return watches_.erase(id) > 0;
}

const FdWatch* FdWatches::find(uint64_t id) const {
    auto it = watches_.find(id);
    return it == watches_.end() ? nullptr : &it->second;
}

void FdWatches::add_sources(PollList& list, bool in_waits_only) const {
    for (const auto& [id, watch] : watches_) {
        if (in_waits_only && !(watch.flags & ML_WATCH_IN_WAITS)) continue;
        list.add(watch.fd, static_cast<short>(watch.events), Source::kWatch, id);
    }
}

}  // namespace msgloop
