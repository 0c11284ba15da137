#include "lobby/bindings/syslite/init_classes.h"

#include "lobby/bindings/syslite/browser.h"
#include "lobby/bindings/syslite/clipboard.h"
#include "lobby/bindings/syslite/dialogs.h"
#include "lobby/bindings/syslite/display.h"
#include "lobby/bindings/syslite/events.h"
#include "lobby/bindings/syslite/menus.h"
#include "lobby/bindings/syslite/registry.h"
#include "lobby/bindings/syslite/tools.h"
#include "lobby/bindings/syslite/tray.h"

namespace syslite {

void initClasses() {
    win::Tray::initStatics();
    win::Menus::initStatics();
    win::Events::initStatics();
    win::Tools::initStatics();
    Registry::initStatics();
    win::Display::initStatics();
    Dialogs::initStatics();
    Clipboard::initStatics();
    Browser::initStatics();
}

}  // namespace syslite
