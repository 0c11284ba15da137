// The descriptors of one poll(2) call, each tagged with the source it belongs to.
#pragma once

#include <poll.h>

#include <cstdint>
#include <vector>

namespace msgloop {

enum class Source : uint8_t { kWake, kListener, kConnection, kSocket, kWatch, kProcess };

struct PollTag {
    Source source;
    uint64_t id;
};

struct PollList {
    std::vector<pollfd> fds;
    std::vector<PollTag> tags;

    void add(int fd, short events, Source source, uint64_t id) {
        fds.push_back(pollfd{fd, events, 0});
        tags.push_back(PollTag{source, id});
    }
    void clear() {
        fds.clear();
        tags.clear();
    }
};

}  // namespace msgloop
