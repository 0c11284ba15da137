// Response heads and bodies arrive from the server in pieces of any size. The first bytes of the
// input choose the piece sizes, the rest is what the connection delivers. However the bytes are
// cut, the splitter must find the same heads and the same body bytes as when they come at once;
// every head it finds is whole and fits its buffer, and reading it yields sane values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "updater/head_translate.h"
#include "updater/response_splitter.h"

namespace {

constexpr std::size_t kCutBytes = 4;

// Reads what it is given like the client: a redirect skips its body and waits for the next head.
class Reader : public haldor::IResponseSink {
public:
    void OnHeader(const char* header, std::size_t length, int status) override {
        std::string head(header, length);
        haldor::CHeadTranslate translate;
        translate.Set(head);
        if (length > haldor::ResponseSplitter::kHeaderSize || !head.ends_with("\r\n\r\n") ||
            head.find("\r\n\r\n") != length - 4)
            std::abort();
        if (auto location = translate.Location();
            location && location->find("\r\n") != std::string::npos)
            std::abort();
        if (!translate.HasContentLength() && translate.ContentLength() != 0) std::abort();
        heads.push_back(head);
        if (status == 301 || status == 302 || status == 303) {
            splitter->Discard(translate.ContentLength());
            splitter->NextResponse();
        }
    }
    void OnData(const char* bytes, std::size_t length) override {
        if (length == 0) std::abort();
        body.append(bytes, length);
    }

    haldor::ResponseSplitter* splitter = nullptr;
    std::vector<std::string> heads;
    std::string body;
    bool failed = false;
};

void Run(const std::string& stream, const std::vector<std::size_t>& cuts, Reader* reader) {
    haldor::ResponseSplitter splitter(reader);
    reader->splitter = &splitter;
    std::size_t at = 0;
    for (std::size_t i = 0; at < stream.size() && !reader->failed; ++i) {
        std::size_t piece = std::min(cuts[i % cuts.size()], stream.size() - at);
        reader->failed = !splitter.Feed(stream.data() + at, piece);
        at += piece;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kCutBytes) return 0;
    std::vector<std::size_t> cuts;
    for (std::size_t i = 0; i < kCutBytes; ++i) cuts.push_back(std::size_t{data[i]} * 7 + 1);
    const std::string stream(reinterpret_cast<const char*>(data) + kCutBytes, size - kCutBytes);

    Reader pieces;
    Run(stream, cuts, &pieces);
    Reader whole;
    Run(stream, {stream.size() + 1}, &whole);
    if (pieces.heads != whole.heads || pieces.body != whole.body || pieces.failed != whole.failed)
        std::abort();
    return 0;
}
