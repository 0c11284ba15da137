#include "platform/cefhx/page_events.h"

#include <tuple>

#include "platform/cefhx/json_fields.h"
#include "runtime/record.h"

namespace cefhx {

void PageEvents::onTargetInfoChanged(const std::shared_ptr<HostWindow>& w,
                                     const Json::Value& info) {
    const std::string title = optionalText(info, "title");
    if (!w || !w->browserReady) return;
    if (title.rfind(kTitleTokenPrefix, 0) == 0) return;
    hooks_.titleReported(*w);
    if (title == w->title) return;
    w->title = title;
    w->raise(BrowserEvent::TitleChange, rt::Value(title));
}

void PageEvents::onPageEvent(const std::shared_ptr<HostWindow>& w, const std::string& method,
                             const Json::Value& params) {
    auto frameRecord = [&](const std::string& frameId) {
        FrameInfo* f = w->frameById(frameId);
        bool isMain = f && f->parentId.empty();
        std::string name = f ? f->name : "";
        std::string url = f ? f->url : "";
        return std::tuple<bool, std::string, std::string>(isMain, name, url);
    };
    if (method == "Fetch.requestPaused") {
        hooks_.requestPaused(w, params);
    } else if (method == "Runtime.bindingCalled") {
        hooks_.bindingCalled(w, params);
    } else if (method == "Page.javascriptDialogOpening") {
        onDialog(w, params);
    } else if (method == "Page.frameAttached") {
        const std::string frameId = textField(params, "frameId");
        w->addFrame(frameId, textField(params, "parentFrameId"));
    } else if (method == "Page.frameDetached") {
        const std::string frameId = textField(params, "frameId");
        if (optionalText(params, "reason") != "swap") w->removeFrame(frameId);
    } else if (method == "Page.frameNavigated") {
        onFrameNavigated(w, params);
    } else if (method == "Page.navigatedWithinDocument") {
        const std::string frameId = textField(params, "frameId");
        const std::string newUrl = textField(params, "url");
        if (FrameInfo* f = w->frameById(frameId)) f->url = newUrl;
        auto [isMain, name, url] = frameRecord(frameId);
        w->raise(BrowserEvent::AddressChange,
                 rt::Record::of({{field::kX, isMain}, {field::kY, name}, {field::kUrl, url}}));
    } else if (method == "Page.frameStartedLoading") {
        auto [isMain, name, url] = frameRecord(textField(params, "frameId"));
        w->raise(BrowserEvent::LoadStart, rt::Record::of({{field::kX, isMain}, {field::kY, name}}));
    } else if (method == "Page.frameStoppedLoading") {
        auto [isMain, name, url] = frameRecord(textField(params, "frameId"));
        if (isMain) hooks_.mainFrameLoaded(w, url);
        w->raise(BrowserEvent::LoadEnd,
                 rt::Record::of({{field::kX, isMain}, {field::kY, 200}, {field::kUrl, url}}));
    } else if (method == "Runtime.executionContextCreated") {
        const Json::Value& context = objectField(params, "context");
        const Json::Value& aux = optionalObject(context, "auxData");
        if (!optionalBool(aux, "isDefault")) return;
        const std::string frameId = textField(aux, "frameId");
        const int contextId = intField(context, "id");
        FrameInfo* f = w->frameById(frameId);
        if (!f) return;
        f->contextId = contextId;
        auto [isMain, name, url] = frameRecord(frameId);
        w->raise(BrowserEvent::ContextCreated,
                 rt::Record::of({{field::kX, isMain}, {field::kY, name}}));
    } else if (method == "Runtime.executionContextDestroyed") {
        int id = intField(params, "executionContextId");
        for (FrameInfo& f : w->frames) {
            if (f.contextId == id) f.contextId = 0;
        }
    } else if (method == "Runtime.executionContextsCleared") {
        for (FrameInfo& f : w->frames) f.contextId = 0;
    } else if (method == "Inspector.targetCrashed") {
        FrameInfo* main = w->mainFrame();
        w->raise(BrowserEvent::LoadError,
                 rt::Record::of({{field::kX, true},
                                 {field::kY, -2},
                                 {field::kWidth, "the page's renderer crashed"},
                                 {field::kUrl, main ? main->url : ""}}));
    }
}

void PageEvents::onFrameNavigated(const std::shared_ptr<HostWindow>& w, const Json::Value& params) {
    const Json::Value& frame = objectField(params, "frame");
    const std::string frameId = textField(frame, "id");
    const std::string parentId = optionalText(frame, "parentId");
    std::string name = optionalText(frame, "name");
    std::string url = textField(frame, "url");
    FrameInfo& f = w->addFrame(frameId, parentId);
    f.name = std::move(name);
    f.url = std::move(url);
    bool isMain = f.parentId.empty();
    rt::Value payload =
        rt::Record::of({{field::kX, isMain}, {field::kY, f.name}, {field::kUrl, f.url}});
    w->raise(BrowserEvent::AddressChange, payload);
    if (!isMain || !w->isRegistered(BrowserEvent::NavStateChange)) return;
    std::weak_ptr<HostWindow> weak = w;
    hooks_.sendToPage(
        *w, "Page.getNavigationHistory", Json::Value(),
        [weak](const Json::Value& r, const std::string&) {
            auto w = weak.lock();
            if (!w || w->destroying || r.isNull()) return;
            int index = optionalInt(r, "currentIndex");
            int count = static_cast<int>(optionalArraySize(r, "entries"));
            w->raise(BrowserEvent::NavStateChange,
                     rt::Record::of({{field::kX, index > 0}, {field::kY, index + 1 < count}}));
        });
}

void PageEvents::onDialog(const std::shared_ptr<HostWindow>& w, const Json::Value& params) {
    std::string type = textField(params, "type");
    std::string message = optionalText(params, "message");
    std::string url = optionalText(params, "url");
    std::string defaultPrompt = optionalText(params, "defaultPrompt");
    rt::Value payload =
        rt::Record::of({{field::kX, true}, {field::kY, url}, {field::kUrl, message}});
    Json::Value answer(Json::objectValue);
    bool accept = true;
    if (type == "alert") {
        w->raise(BrowserEvent::JSAlert, payload);
    } else if (type == "confirm" && w->isRegistered(BrowserEvent::JSConfirm)) {
        // False: the program has answered the question itself, with no.
        accept = w->raise(BrowserEvent::JSConfirm, payload).toBool();
    } else if (type == "prompt") {
        answer["promptText"] = defaultPrompt;
    }
    answer["accept"] = accept;
    hooks_.sendToPage(*w, "Page.handleJavaScriptDialog", answer, {});
}

}  // namespace cefhx
