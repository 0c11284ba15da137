#include "lobby/bindings/cef/cef_window.h"

#include <map>
#include <type_traits>
#include <vector>

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/cef/cef_frame.h"
#include "lobby/bindings/cef/cef_response.h"
#include "lobby/bindings/cef/page_callers.h"
#include "lobby/bindings/cef/rect.h"
#include "lobby/bindings/cef/size.h"
#include "lobby/bindings/cef/task.h"
#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "platform/cefhx/host_contract.h"
#include "runtime/bytes.h"
#include "runtime/class_builder.h"
#include "runtime/create.h"
#include "runtime/exception.h"
#include "runtime/json.h"
#include "runtime/record.h"
#include "runtime/trace.h"

namespace cef {
namespace {

namespace field = cefhx::field;

using cefhx::WindowProperty;

using BoundClass = CefWindow;

const bindings::PrimitiveSlot kPrimitives[] = {CEFHX_WINDOW_PRIMITIVES(BINDINGS_PRIMITIVE_SLOT)};

// The statics that hold the window flags, in the order of the host's flag list.
#define CEF_WINDOW_FLAG_SLOT(name, value) &CefWindow::name,
int32_t* const kFlagSlots[] = {CEFHX_WINDOW_FLAGS(CEF_WINDOW_FLAG_SLOT)};
#undef CEF_WINDOW_FLAG_SLOT

// What a browser event hands its handler, taken from the payload at the moment of the call.
enum class Arg { X, Y, Url, Width, Height, Payload, PayloadText, Null };

// What the window answers the host with after the handler ran.
enum class Answer { Nothing, Text, Flag };

struct EventRule {
    std::vector<Arg> args;
    Answer answer;
    // The answer when the browser holds no handler for the event.
    rt::Value withoutHandler;
};

const std::map<std::string_view, EventRule, std::less<>>& eventRules() {
    using E = cefhx::BrowserEvent;
    static const auto* rules = new std::map<std::string_view, EventRule, std::less<>>{
        {cefhx::browserEventName(E::ContextCreated), {{Arg::X, Arg::Y}, Answer::Nothing, {}}},
        {cefhx::browserEventName(E::BeforeClose), {{}, Answer::Nothing, {}}},
        {cefhx::browserEventName(E::LoadStart), {{Arg::X, Arg::Y}, Answer::Nothing, {}}},
        {cefhx::browserEventName(E::LoadEnd), {{Arg::X, Arg::Y, Arg::Url}, Answer::Nothing, {}}},
        {cefhx::browserEventName(E::LoadError),
         {{Arg::X, Arg::Y, Arg::Width, Arg::Url}, Answer::Text, {}}},
        {cefhx::browserEventName(E::AddressChange),
         {{Arg::X, Arg::Y, Arg::Url}, Answer::Nothing, {}}},
        {cefhx::browserEventName(E::TitleChange), {{Arg::PayloadText}, Answer::Text, {}}},
        {cefhx::browserEventName(E::BeforePopup), {{Arg::PayloadText}, Answer::Flag, true}},
        {cefhx::browserEventName(E::BeforeBrowse),
         {{Arg::X, Arg::Y, Arg::Url, Arg::Width, Arg::Null}, Answer::Flag, true}},
        {cefhx::browserEventName(E::NavStateChange), {{Arg::X, Arg::Y}, Answer::Nothing, {}}},
        {cefhx::browserEventName(E::ContentsSizeChange),
         {{Arg::X, Arg::Y, Arg::Width, Arg::Height}, Answer::Nothing, {}}},
        {cefhx::browserEventName(E::BeforeMenu), {{Arg::Payload}, Answer::Flag, {}}},
        {cefhx::browserEventName(E::JSAlert), {{Arg::X, Arg::Y, Arg::Url}, Answer::Flag, {}}},
        {cefhx::browserEventName(E::JSConfirm), {{Arg::X, Arg::Y, Arg::Url}, Answer::Flag, {}}},
    };
    return *rules;
}

rt::Value argument(Arg arg, const rt::Value& payload) {
    switch (arg) {
        case Arg::X:
            return payload.get(field::kX);
        case Arg::Y:
            return payload.get(field::kY);
        case Arg::Url:
            return payload.get(field::kUrl);
        case Arg::Width:
            return payload.get(field::kWidth);
        case Arg::Height:
            return payload.get(field::kHeight);
        case Arg::Payload:
            return payload;
        case Arg::PayloadText:
            return payload.toString();
        case Arg::Null:
            return {};
    }
    return {};
}

rt::Value answerOf(Answer answer, const rt::Value& result) {
    switch (answer) {
        case Answer::Nothing:
            return {};
        case Answer::Text:
            return rt::toValue(rt::fromValue<std::optional<std::string>>(result));
        case Answer::Flag:
            return result.toBool();
    }
    return {};
}

// The edge codes of window_resize by edge name; any other name is the bottom-right corner.
int32_t edgeCode(const std::optional<std::string>& edge) {
    static const auto* codes = new std::map<std::string, int32_t, std::less<>>{
        {"L", 1}, {"R", 2}, {"T", 3}, {"TL", 4}, {"TR", 5}, {"B", 6}, {"BL", 7}};
    if (!edge) return 8;
    auto it = codes->find(*edge);
    return it == codes->end() ? 8 : it->second;
}

// The bytes a resource handler answered with: a byte array as it is, a text as its bytes;
// anything else counts as no data.
rt::Ref<rt::Bytes> resourceBytes(const rt::Value& data) {
    if (rt::Ref<rt::Bytes> bytes = data.asBytes()) return bytes;
    if (data.isString()) return rt::Bytes::of(data.str());
    return nullptr;
}

}  // namespace

void CefWindow::initStatics() {
    for (size_t i = 0; i < std::size(kFlagSlots); ++i)
        *kFlagSlots[i] = cefhx::kWindowFlags[i].value;
    bindings::bindAll("cefhx", kPrimitives);
}

void CefWindow::construct(std::optional<std::string> url, rt::Value width, rt::Value height,
                          rt::Value windowFlag, rt::Ref<CefBrowserSettings> browserSettings) {
    isToDestroy = false;
    _url = std::move(url);
    cefBrowserSet = std::move(browserSettings);
    _windowFlag = windowFlag.toInt();
    _visible = false;
    minSize = rt::create<Size>(0.0, 0.0);
    _cefBrowser = rt::create<CefBrowser>(rt::Ref<CefWindow>(this));
    _window_create(width, height, windowFlag, rt::Ref<CefWindow>(this), _cefBrowser);
}

rt::Value CefWindow::onBrowserEvent(const std::string& name, rt::Value payload) {
    if (CefApp::isQuit || isToDestroy) return {};
    if (name == cefhx::kTaskEvent) {
        Task::onTask(rt::Ref<CefWindow>(this), payload);
        return {};
    }
    rt::Ref<CefBrowser> browser = get_cefBrowser();
    if (name == cefhx::kAfterCreatedEvent) {
        if (!browser) return {};
        browser->isInit = true;
        if (!browser->onAfterCreated.isNull()) browser->onAfterCreated.call({});
        return {};
    }
    if (name == cefhx::browserEventName(cefhx::BrowserEvent::BeforeResourceLoad)) {
        return loadResource(browser, payload);
    }
    const auto& rules = eventRules();
    auto rule = rules.find(name);
    if (rule == rules.end()) return {};
    rt::Value handler = browser ? browser->get(name) : rt::Value();
    if (handler.isNull()) return rule->second.withoutHandler;
    std::vector<rt::Value> args;
    for (Arg a : rule->second.args) args.push_back(argument(a, payload));
    return answerOf(rule->second.answer, handler.call(args));
}

rt::Value CefWindow::loadResource(const rt::Ref<CefBrowser>& browser, const rt::Value& payload) {
    rt::Value handler = browser ? browser->get("onBeforeResourceLoad") : rt::Value();
    if (handler.isNull()) return true;
    rt::Ref<CefResponse> response = rt::create<CefResponse>();
    rt::Ref<rt::Bytes> data = resourceBytes(handler.call({payload, response}));
    rt::Ref<rt::Record> record = rt::make<rt::Record>();
    if (data) {
        record->set(field::kX, data);
        record->set(field::kY, response->end);
        record->set(field::kUrl, rt::toValue(response->redirectUrl));
        record->set(field::kWidth, rt::toValue(response->mimeType));
        record->set(field::kHeight, static_cast<int32_t>(data->data().size()));
    } else {
        record->set(field::kX, nullptr);
        record->set(field::kY, false);
        record->set(field::kUrl, nullptr);
        record->set(field::kWidth, nullptr);
        record->set(field::kHeight, 0);
    }
    record->set(field::kLinkUrl, payload);
    record->set(field::kMinSize, data ? response->status : 0);
    _window_onresloaded(_handle, record);
    return true;
}

bool CefWindow::onSystemMessage(std::optional<std::string>, rt::Value, rt::Value) {
    return true;
}
bool CefWindow::on_size() {
    return onSize();
}

int32_t CefWindow::on_destroy() {
    onDestroy();
    if (_cefBrowser) _cefBrowser->destroy();
    cefBrowserSet = nullptr;
    {
        std::lock_guard<std::mutex> lock(handleMutex_);
        _handle = nullptr;
    }
    rt::Ref<rt::Array> windows = CefApp::naviteWindows;
    if (!windows) return 0;
    auto& items = windows->items();
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (it->heap() == this) {
            items.erase(it);
            break;
        }
    }
    return windows->size();
}

bool CefWindow::on_fullscreen() {
    return true;
}
bool CefWindow::on_maximize() {
    return onMaximize();
}
bool CefWindow::on_restore() {
    return onRestore();
}
bool CefWindow::on_minimize() {
    return onMinimize();
}

bool CefWindow::on_close() {
    if (CefApp::isQuit || isToDestroy) return true;
    return onClose();
}

void CefWindow::on_create(rt::Value handle) {
    {
        std::lock_guard<std::mutex> lock(handleMutex_);
        _handle = std::move(handle);
    }
    if (CefApp::naviteWindows) CefApp::naviteWindows->push(rt::Ref<CefWindow>(this));
    onCreate();
}

rt::Value CefWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    rt::Value member = get(name);
    if (member.isNull()) return {};
    if (member.isFunction()) {
        return args ? member.call(args->items()) : member.call(std::span<const rt::Value>());
    }
    if (!args || args->size() == 0) return member;
    set(name, args->get(0));
    return {};
}

rt::Value CefWindow::on_jscall(const std::string& name, rt::Ref<rt::Array> args, rt::Value caller) {
    if (CefApp::isQuit || isToDestroy) return {};
    if (caller.isString() && !PageCallers::mayCall(caller.str())) {
        RT_TRACE("page call " + rt::Json::stringify(rt::Value(name)) + " refused from " +
                 rt::Json::stringify(caller));
        return {};
    }
    return onJsCallBack(name, std::move(args));
}

void CefWindow::runTask(rt::Ref<Task> task, rt::Value delay) {
    if (CefApp::isQuit || isToDestroy) return;
    if (!task) throw rt::Exception("CefWindow.runTask: the task to post is null");
    const rt::Value handle = postingHandle();
    if (handle.isNull()) return;
    int32_t ticks = delay.toInt();
    task->postedThrough(rt::Ref<CefWindow>(this), ticks);
    cef_app_posttask(handle, ticks);
}

rt::Value CefWindow::postingHandle() const {
    std::lock_guard<std::mutex> lock(handleMutex_);
    return _handle;
}

template <class T>
T CefWindow::setHostProperty(WindowProperty id, T v) {
    _window_set_prop(_handle, static_cast<int32_t>(id), v);
    return v;
}

// A flag the host does not answer with a flag or a number counts as set.
template <class T>
T CefWindow::getHostProperty(WindowProperty id) {
    rt::Value v = _window_get_prop(_handle, static_cast<int32_t>(id));
    if constexpr (std::is_same_v<T, bool>) {
        if (v.isBool()) return v.toBool();
        if (v.isNumber()) return v.toFloat() != 0;
        return true;
    } else {
        return v.toInt();
    }
}

#define CEF_WINDOW_HOST_GETTER(name, id, T)            \
    T CefWindow::get_##name() {                        \
        return getHostProperty<T>(WindowProperty::id); \
    }
#define CEF_WINDOW_HOST_ACCESSORS(name, id, T)         \
    T CefWindow::set_##name(T v) {                     \
        return setHostProperty(WindowProperty::id, v); \
    }                                                  \
    CEF_WINDOW_HOST_GETTER(name, id, T)
CEF_WINDOW_PROPERTIES(CEF_WINDOW_HOST_ACCESSORS, CEF_WINDOW_HOST_GETTER, CEF_WINDOW_NOTHING,
                      CEF_WINDOW_NOTHING)
#undef CEF_WINDOW_HOST_ACCESSORS
#undef CEF_WINDOW_HOST_GETTER

bool CefWindow::set_visible(bool on) {
    if (!_handle.isNull()) _window_show(_handle, on, true, false, true);
    _visible = on;
    return on;
}
bool CefWindow::get_visible() {
    return _visible;
}

std::optional<std::string> CefWindow::set_title(std::optional<std::string> title) {
    _title = title;
    if (!_handle.isNull()) _window_set_title(_handle, title);
    return title;
}

std::optional<std::string> CefWindow::get_title() {
    return _title;
}

bool CefWindow::onSize() {
    return true;
}
void CefWindow::onDestroy() {}
bool CefWindow::onRestore() {
    return true;
}
bool CefWindow::onClose() {
    return true;
}
void CefWindow::onCreate() {}
bool CefWindow::onMaximize() {
    return true;
}
bool CefWindow::onMinimize() {
    return true;
}

void CefWindow::setRound(rt::Ref<Rect> rect, rt::Ref<Size> size) {
    if (rect && size) _window_setround(_handle, rect, size);
}

void CefWindow::drag() {
    _window_drag(_handle);
}
void CefWindow::resize(std::optional<std::string> edge) {
    _window_resize(_handle, edgeCode(edge));
}
void CefWindow::flash(bool) {}

void CefWindow::destroy() {
    isToDestroy = true;
    _window_close(_handle);
}

void CefWindow::close() {
    if (CefApp::isQuit) isToDestroy = true;
    _window_close(_handle);
}

void CefWindow::show(bool visible, bool a, bool b, bool c) {
    if (!_handle.isNull()) _window_show(_handle, visible, b, c, a);
    _visible = visible;
}

rt::Ref<CefBrowser> CefWindow::get_cefBrowser() {
    return _cefBrowser;
}
int32_t CefWindow::get_windowFlag() {
    return _windowFlag;
}
std::optional<std::string> CefWindow::get_url() {
    return _url;
}
bool CefWindow::get_sysMessageHook() {
    return _sysMessageHook;
}

bool CefWindow::set_sysMessageHook(bool on) {
    _window_set_message_hook(_handle, on);
    _sysMessageHook = on;
    return on;
}

std::optional<std::string> CefWindow::set_url(std::optional<std::string> url) {
    _url = url;
    return url;
}

namespace {

// A flag argument that takes its default when it is missing or null.
bool flagOr(std::span<const rt::Value> args, size_t i, bool fallback) {
    return i < args.size() && !args[i].isNull() ? args[i].toBool() : fallback;
}

}  // namespace

const rt::ClassInfo& CefWindow::staticClassInfo() {
    using W = CefWindow;
    static const rt::ClassInfo& info = []() -> const rt::ClassInfo& {
        rt::ClassBuilder<W> builder("cef.CefWindow");
        for (size_t i = 0; i < std::size(kFlagSlots); ++i) {
            builder.staticField(std::string(cefhx::kWindowFlags[i].name), kFlagSlots[i]);
        }
        bindings::addPrimitiveStatics(builder, kPrimitives);
#define CEF_WINDOW_PROPERTY(name, ...) builder.property(#name, &W::get_##name, &W::set_##name);
#define CEF_WINDOW_READ_PROPERTY(name, ...) builder.property(#name, &W::get_##name);
#define CEF_WINDOW_FIELD(name) builder.field(#name, &W::name);
        CEF_WINDOW_PROPERTIES(CEF_WINDOW_PROPERTY, CEF_WINDOW_READ_PROPERTY, CEF_WINDOW_PROPERTY,
                              CEF_WINDOW_FIELD)
#undef CEF_WINDOW_PROPERTY
#undef CEF_WINDOW_READ_PROPERTY
#undef CEF_WINDOW_FIELD
        builder.field("_sysMessageHook", &W::_sysMessageHook)
            .property("sysMessageHook", &W::get_sysMessageHook, &W::set_sysMessageHook)
            .fields(RT_NAMED(W, minSize, isToDestroy, _handle))
            .property("cefBrowser", &W::get_cefBrowser)
            .field("_cefBrowser", &W::_cefBrowser)
            .property("windowFlag", &W::get_windowFlag)
            .field("_windowFlag", &W::_windowFlag)
            .property("url", &W::get_url, &W::set_url)
            .fields(RT_NAMED(W, _url, cefBrowserSet))
            .methods(RT_NAMED(W, onBrowserEvent, onSystemMessage, on_size, on_destroy,
                              on_fullscreen, on_maximize, on_restore, on_minimize, on_close,
                              on_create, onJsCallBack, on_jscall, runTask, onSize, onDestroy,
                              onRestore, onClose, onCreate, onMaximize, onMinimize, setRound, drag,
                              resize, flash, destroy, close))
            .method("show",
                    [](W& w, std::span<const rt::Value> args) {
                        w.show(flagOr(args, 0, false), flagOr(args, 1, true), flagOr(args, 2, true),
                               flagOr(args, 3, false));
                        return rt::Value();
                    })
            .constructor(&W::construct);
        return builder.build();
    }();
    return info;
}

RT_REGISTER_CLASS(CefWindow);

}  // namespace cef
