#include "platform/cefhx/request_interceptor.h"

#include "platform/cefhx/base64.h"

#include <cstdio>

#include "platform/cefhx/browser_host.h"
#include "platform/cefhx/file_url.h"
#include "platform/cefhx/host_window.h"
#include "platform/cefhx/json_fields.h"
#include "platform/cefhx/served_file.h"
#include "runtime/bytes.h"
#include "runtime/record.h"

namespace cefhx {
namespace {

// The navigation type reported with "onBeforeBrowse": Chromium does not tell, so "other".
constexpr int kNavigationOther = 5;

Json::Value header(const std::string& name, const std::string& value) {
    Json::Value h(Json::objectValue);
    h["name"] = name;
    h["value"] = value;
    return h;
}

void fulfil(BrowserHost& host, const Json::Value& requestId, int status,
            const std::string& contentType, std::string_view body,
            const std::string& location = {}) {
    Json::Value params(Json::objectValue);
    params["requestId"] = requestId;
    params["responseCode"] = status;
    Json::Value headers(Json::arrayValue);
    if (!contentType.empty()) headers.append(header("Content-Type", contentType));
    if (!location.empty()) headers.append(header("Location", location));
    headers.append(header("Cache-Control", "no-store"));
    headers.append(header("Access-Control-Allow-Origin", "*"));
    params["responseHeaders"] = headers;
    params["body"] = base64Encode(body.data(), body.size());
    host.devTools().send("Fetch.fulfillRequest", params, "");
}

// A local file read by the host: a page's own requests for files fail when Chromium reads the
// folder itself, so the host serves them, but only from inside the served folder.
void serveFromDisk(BrowserHost& host, const Json::Value& requestId, const std::string& url) {
    if (!localPathOf(url)) {
        continueRequest(host.devTools(), requestId);
        return;
    }
    const std::optional<ServedPath> where = servedPathOf(url, host.filterPaths());
    if (!where) {
        std::fprintf(stderr, "cefhx: refused a local file outside the served folders: %s\n",
                     url.c_str());
        fulfil(host, requestId, 403, "text/plain", "refused");
        return;
    }
    const ServedFile file = readServedFile(*where);
    switch (file.status) {
        case ServedFile::Status::Ok:
            fulfil(host, requestId, 200, contentTypeOf(where->path), file.body);
            return;
        case ServedFile::Status::Missing:
            fulfil(host, requestId, 404, "text/plain", "not found: " + where->path);
            return;
        case ServedFile::Status::Refused:
            std::fprintf(stderr, "cefhx: refused a local file: %s\n", file.why.c_str());
            fulfil(host, requestId, 403, "text/plain", "refused");
            return;
    }
}

// Serves the window's answer to "onBeforeResourceLoad"; false when it gave no data.
bool serveAnswer(BrowserHost& host, HostWindow& w, const Json::Value& requestId,
                 const std::string& url) {
    rt::Value answer = w.resourceAnswer;
    w.resourceAnswer = rt::Value();
    rt::Value data = answer.get(field::kX);
    rt::Ref<rt::Bytes> bytes = data.asBytes();
    if (!bytes && !data.isString()) return false;
    std::string_view body = bytes ? bytes->view() : data.str();
    int status = answer.get(field::kMinSize).toInt();
    rt::Value mime = answer.get(field::kWidth);
    std::string contentType =
        mime.isString() && !mime.str().empty() ? std::string(mime.str()) : contentTypeOf(url);
    rt::Value redirect = answer.get(field::kUrl);
    if (redirect.isString() && !redirect.str().empty()) {
        fulfil(host, requestId, status >= 300 && status < 400 ? status : 302, contentType, body,
               std::string(redirect.str()));
        return true;
    }
    fulfil(host, requestId, status > 0 ? status : 200, contentType, body);
    return true;
}

}  // namespace

Json::Value interceptionPatterns(const std::vector<std::string>& filterPaths) {
    Json::Value patterns(Json::arrayValue);
    Json::Value documents(Json::objectValue);
    documents["urlPattern"] = "*";
    documents["resourceType"] = "Document";
    documents["requestStage"] = "Request";
    patterns.append(documents);
    for (const std::string& p : filterPaths) {
        Json::Value pattern(Json::objectValue);
        pattern["urlPattern"] = "*" + p + "*";
        pattern["requestStage"] = "Request";
        patterns.append(pattern);
    }
    return patterns;
}

void continueRequest(DevToolsTransport& browser, const Json::Value& requestId) {
    Json::Value params(Json::objectValue);
    params["requestId"] = requestId;
    browser.send("Fetch.continueRequest", params, "");
}

void refuseRequest(DevToolsTransport& browser, const Json::Value& requestId) {
    Json::Value params(Json::objectValue);
    params["requestId"] = requestId;
    params["errorReason"] = "BlockedByClient";
    browser.send("Fetch.failRequest", params, "");
}

void onRequestPaused(BrowserHost& host, const std::shared_ptr<HostWindow>& w,
                     const Json::Value& params) {
    const Json::Value requestId = textField(params, "requestId");
    if (!w) {
        continueRequest(host.devTools(), requestId);
        return;
    }
    const std::string url = textField(objectField(params, "request"), "url");
    const bool isDocument = optionalText(params, "resourceType") == "Document";
    const std::string frameId = optionalText(params, "frameId");
    if (isDocument && w->isRegistered(BrowserEvent::BeforeBrowse)) {
        FrameInfo* frame = w->frameById(frameId);
        bool isMain = frame ? frame->parentId.empty() : frameId == w->targetId;
        std::string name = frame ? frame->name : "";
        rt::Value payload = rt::Record::of({{field::kX, isMain},
                                            {field::kY, name},
                                            {field::kUrl, url},
                                            {field::kWidth, kNavigationOther}});
        if (!w->raise(BrowserEvent::BeforeBrowse, payload, true).toBool()) {
            refuseRequest(host.devTools(), requestId);
            return;
        }
    }
    if (w->destroying) {
        refuseRequest(host.devTools(), requestId);
        return;
    }
    if (!matchesFilterPath(url, host.filterPaths())) {
        continueRequest(host.devTools(), requestId);
        return;
    }
    if (w->isRegistered(BrowserEvent::BeforeResourceLoad)) {
        w->resourceAnswer = rt::Value();
        w->raise(BrowserEvent::BeforeResourceLoad, rt::Value(url));
        if (serveAnswer(host, *w, requestId, url)) return;
    }
    serveFromDisk(host, requestId, url);
}

}  // namespace cefhx
