#pragma once

#include <optional>
#include <string>

#include "tools/testhttp/byte_range.h"
#include "tools/testhttp/content_store.h"
#include "tools/testhttp/fault.h"
#include "tools/testhttp/request.h"

namespace testhttp {

// What the server answers to one request, worked out before anything is sent: the status, the
// response head, where the body comes from and how the fault in force shapes its sending.
struct ResponsePlan {
    int status = 0;                    // 0 for a stall: nothing is ever sent
    std::optional<Fault> fault;        // the fault that applies, if any
    std::optional<Resource> resource;  // the body's source when it is a served resource...
    Span span;                         // ...and which of its bytes
    std::string body;                  // otherwise the generated body (status text, page)
    std::string head;                  // status line and header fields, ending in an empty line
    bool sendBody = true;              // false for HEAD
    bool closeAfter = false;           // close the connection once the answer is sent

    uint64_t bodyLength() const { return resource ? span.length : body.size(); }
};

// Plans the answer to `req` with `fault` (already matched) over the content of `store`.
ResponsePlan planResponse(const Request& req, const std::optional<Fault>& fault,
                          const ContentStore& store);

// Plans a plain answer with `status` and a short text body that closes the connection; for
// requests the server cannot take.
ResponsePlan planError(int status, bool headOnly);

const char* reasonPhrase(int status);

}  // namespace testhttp
