#include "tools/testhttp/response_plan.h"

namespace testhttp {

namespace {

constexpr const char* kErrorPage =
    "<!DOCTYPE html>\n<html><head><title>Service Unavailable</title></head>\n"
    "<body><h1>Service Unavailable</h1><p>The server is temporarily unable to serve your "
    "request. Please try again later.</p></body></html>\n";

std::string statusText(int status) {
    return std::to_string(status) + " " + reasonPhrase(status) + "\n";
}

// The header fields that every answer carries, before the status-specific ones.
std::string statusLine(int status) {
    return "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) +
           "\r\nServer: testhttp\r\n";
}

void finishHead(ResponsePlan& plan, const Request& req, const std::string& contentType) {
    std::string& h = plan.head;
    h += "Content-Type: " + contentType + "\r\n";
    uint64_t length = plan.bodyLength();
    if (plan.fault && plan.fault->kind == FaultKind::WrongContentLength) {
        int64_t announced = static_cast<int64_t>(length) + plan.fault->delta;
        h += "Content-Length: " + std::to_string(announced < 0 ? 0 : announced) + "\r\n";
    } else if (!(plan.fault && plan.fault->kind == FaultKind::NoContentLength)) {
        h += "Content-Length: " + std::to_string(length) + "\r\n";
    }
    if (plan.closeAfter) {
        h += "Connection: close\r\n";
    } else if (req.version == "HTTP/1.0") {
        h += "Connection: keep-alive\r\n";
    }
    if (plan.fault && plan.fault->kind == FaultKind::OversizedHeader) {
        const std::string name = "X-Padding: ";
        size_t used = h.size() + name.size() + 4;  // the padding line's CRLF and the empty line
        size_t pad = plan.fault->bytes > used ? plan.fault->bytes - used : 1;
        h += name + std::string(pad, 'x') + "\r\n";
    }
    h += "\r\n";
}

std::string contentRange(const Span& span, uint64_t size, int64_t shift) {
    int64_t first = static_cast<int64_t>(span.offset) + shift;
    int64_t last = first + static_cast<int64_t>(span.length) - 1;
    if (first < 0) first = 0;
    if (last < first) last = first;
    return "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
           std::to_string(size);
}

// The status a raw answer's status line names, for the log; 200 when it names none.
int rawStatus(const std::string& raw) {
    if (raw.size() < 12 || !raw.starts_with("HTTP/1.")) return 200;
    int status = 0;
    for (size_t i = 9; i < 12; ++i) {
        if (raw[i] < '0' || raw[i] > '9') return 200;
        status = status * 10 + (raw[i] - '0');
    }
    return status;
}

}  // namespace

const char* reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 206:
            return "Partial Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 416:
            return "Range Not Satisfiable";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 501:
            return "Not Implemented";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        case 504:
            return "Gateway Timeout";
        case 505:
            return "HTTP Version Not Supported";
        default:
            return "Status";
    }
}

ResponsePlan planError(int status, bool headOnly) {
    ResponsePlan plan;
    plan.status = status;
    plan.body = statusText(status);
    plan.sendBody = !headOnly;
    plan.closeAfter = true;
    plan.head = statusLine(status);
    Request none;
    finishHead(plan, none, "text/plain");
    return plan;
}

ResponsePlan planResponse(const Request& req, const std::optional<Fault>& fault,
                          const ContentStore& store) {
    ResponsePlan plan;
    plan.sendBody = req.method != "HEAD";
    plan.closeAfter = !req.keepAlive();
    if (req.method != "GET" && req.method != "HEAD") {
        plan.status = 405;
        plan.body = statusText(405);
        plan.head = statusLine(405) + "Allow: GET, HEAD\r\n";
        finishHead(plan, req, "text/plain");
        return plan;
    }
    plan.fault = fault;
    FaultKind kind = fault ? fault->kind : FaultKind::Status;
    if (fault && (kind == FaultKind::DropAfter || kind == FaultKind::WrongContentLength ||
                  kind == FaultKind::NoContentLength))
        plan.closeAfter = true;

    if (fault && kind == FaultKind::RawAnswer) {
        plan.status = rawStatus(fault->raw);
        plan.head = fault->raw;
        plan.sendBody = false;
        plan.closeAfter = true;
        return plan;
    }
    if (fault && kind == FaultKind::Stall) {
        plan.sendBody = false;
        return plan;
    }
    if (fault && kind == FaultKind::Status) {
        plan.status = fault->status;
        plan.body = statusText(fault->status);
        plan.head = statusLine(fault->status);
        finishHead(plan, req, "text/plain");
        return plan;
    }
    if (fault && kind == FaultKind::Redirect) {
        plan.status = fault->status;
        plan.body = statusText(fault->status);
        plan.head = statusLine(fault->status) + "Location: " + fault->location + "\r\n";
        finishHead(plan, req, "text/plain");
        return plan;
    }
    if (fault && kind == FaultKind::ErrorPage) {
        plan.status = 200;
        plan.body = kErrorPage;
        plan.head = statusLine(200);
        finishHead(plan, req, "text/html; charset=utf-8");
        return plan;
    }

    plan.resource = store.find(req.path);
    if (!plan.resource) {
        // A fault that shapes a body has nothing to shape here.
        plan.fault.reset();
        plan.status = 404;
        plan.body = statusText(404);
        plan.head = statusLine(404);
        finishHead(plan, req, "text/plain");
        return plan;
    }
    uint64_t size = plan.resource->size();
    std::string extra = "Accept-Ranges: bytes\r\n";
    plan.status = 200;
    plan.span = Span{0, size};
    if (req.range && !(fault && kind == FaultKind::IgnoreRange)) {
        std::optional<Span> span = resolveRange(*req.range, size);
        if (!span) {
            plan.status = 416;
            plan.resource.reset();
            plan.body = statusText(416);
            plan.head =
                statusLine(416) + "Content-Range: bytes */" + std::to_string(size) + "\r\n" + extra;
            finishHead(plan, req, "text/plain");
            return plan;
        }
        plan.status = 206;
        plan.span = *span;
        int64_t shift = fault && kind == FaultKind::WrongContentRange ? fault->delta : 0;
        extra += "Content-Range: " + contentRange(*span, size, shift) + "\r\n";
    }
    plan.head = statusLine(plan.status) + extra;
    finishHead(plan, req, "application/octet-stream");
    return plan;
}

}  // namespace testhttp
