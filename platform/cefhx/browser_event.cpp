#include "platform/cefhx/browser_event.h"

namespace cefhx {

std::string_view browserEventName(BrowserEvent event) {
    switch (event) {
        case BrowserEvent::BeforeClose:
            return "onBeforeClose";
        case BrowserEvent::LoadStart:
            return "onLoadStart";
        case BrowserEvent::LoadEnd:
            return "onLoadEnd";
        case BrowserEvent::LoadError:
            return "onLoadError";
        case BrowserEvent::NavStateChange:
            return "onNavStateChange";
        case BrowserEvent::ContextCreated:
            return "onContextCreated";
        case BrowserEvent::BeforePopup:
            return "onBeforePopup";
        case BrowserEvent::BeforeResourceLoad:
            return "onBeforeResourceLoad";
        case BrowserEvent::AddressChange:
            return "onAddressChange";
        case BrowserEvent::TitleChange:
            return "onTitleChange";
        case BrowserEvent::BeforeBrowse:
            return "onBeforeBrowse";
        case BrowserEvent::ContentsSizeChange:
            return "onContentsSizeChange";
        case BrowserEvent::BeforeMenu:
            return "onBeforeMenu";
        case BrowserEvent::JSAlert:
            return "onJSAlert";
        case BrowserEvent::JSConfirm:
            return "onJSConfirm";
    }
    return "";
}

}  // namespace cefhx
