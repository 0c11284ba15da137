#include "updater/response_splitter.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "updater/head_translate.h"

namespace haldor {

void ResponseSplitter::NextResponse() {
    header_fill_ = 0;
    header_done_ = false;
}

void ResponseSplitter::Reset() {
    NextResponse();
    discard_ = 0;
    ++generation_;
}

bool ResponseSplitter::Feed(const char* bytes, std::size_t length) {
    while (length > 0) {
        if (discard_ > 0) {
            std::size_t skip = static_cast<std::size_t>(std::min<std::uint64_t>(discard_, length));
            discard_ -= skip;
            bytes += skip;
            length -= skip;
            continue;
        }
        if (header_done_) {
            sink_->OnData(bytes, length);
            return true;
        }
        std::size_t room = kHeaderSize - header_fill_;
        if (room == 0) return false;
        std::size_t take = std::min(room, length);
        std::size_t search_from = header_fill_ >= 3 ? header_fill_ - 3 : 0;
        std::memcpy(header_ + header_fill_, bytes, take);
        header_fill_ += take;
        bytes += take;
        length -= take;
        std::string_view held(header_, header_fill_);
        auto end = held.find("\r\n\r\n", search_from);
        if (end == std::string_view::npos) continue;
        std::size_t header_length = end + 4;
        header_done_ = true;
        std::string rest(header_ + header_length, header_fill_ - header_length);
        rest.append(bytes, length);
        CHeadTranslate head;
        head.Set(std::string(header_, header_length));
        unsigned generation = generation_;
        sink_->OnHeader(header_, header_length, head.StatusCode());
        if (generation != generation_ || rest.empty()) return true;
        return Feed(rest.data(), rest.size());
    }
    return true;
}

}  // namespace haldor
