// The primitives of libDownLoadGame.so: an instance per download engine, and the page's request
// handed to the engine's members by name.
#include "platform/downloadgame/download_session.h"
#include "platform/shared/primitive_export.h"

namespace {

using downloadgame::DownloadSession;
using platform::text;
using rt::fromC;
using rt::Value;

constexpr const char* kLib = "DownLoadGame";
const char kInstanceKind = 'd';

// (handler object): an instance handle, or null when there is no handler.
::value plug_create(::value handler) {
    return platform::guarded(kLib, "plug_create", [&] {
        Value engine = fromC(handler);
        if (engine.isNull()) {
            platform::log(kLib, "plug_create: no handler object; no instance made");
            return Value();
        }
        int number = DownloadSession::open(engine);
        platform::log(kLib,
                      "instance " + std::to_string(number) + " created for " + engine.toString());
        return platform::makeHandle(&kInstanceKind, number);
    });
}

// (instance, download address, the page's game names separated by ",", the page's second text).
::value plug_downloadgame(::value instance, ::value url, ::value games, ::value extra) {
    return platform::guarded(kLib, "plug_downloadgame", [&] {
        int number = platform::handleNumber(&kInstanceKind, fromC(instance));
        DownloadSession* session = number < 0 ? nullptr : DownloadSession::find(number);
        if (session == nullptr) {
            platform::log(
                kLib, "plug_downloadgame: " + fromC(instance).toString() + " is no live instance");
            return Value();
        }
        session->request(text(fromC(url)), text(fromC(games)), text(fromC(extra)));
        return Value();
    });
}

::value plug_destroy(::value instance) {
    return platform::guarded(kLib, "plug_destroy", [&] {
        int number = platform::handleNumber(&kInstanceKind, fromC(instance));
        if (number >= 0 && DownloadSession::close(number)) {
            platform::log(kLib, "instance " + std::to_string(number) + " destroyed");
        } else {
            platform::log(kLib,
                          "plug_destroy: " + fromC(instance).toString() + " is no live instance");
        }
        return Value();
    });
}

}  // namespace

MORVICK_PRIMITIVE(plug_create, 1)
MORVICK_PRIMITIVE(plug_downloadgame, 4)
MORVICK_PRIMITIVE(plug_destroy, 1)
