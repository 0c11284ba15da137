#include "plugins/core/testing/plug_host.h"

#include "platform/msgloop/msgloop.h"
#include "runtime/value_scope.h"

#include <stdexcept>

namespace plug::testing {

const rt::ClassInfo& Handler::staticClassInfo() {
    static const rt::ClassInfo& info =
        rt::ClassBuilder<Handler>("test.PlugHandler")
            .methods(RT_NAMED(Handler, onGameClose, onPlugLink, onPlugMsg))
            .constructor()
            .build();
    return info;
}

void Handler::onGameClose(int32_t code) {
    Record("onGameClose(" + std::to_string(code) + ")");
}

void Handler::onPlugLink(bool flag) {
    Record(std::string("onPlugLink(") + (flag ? "true" : "false") + ")");
}

void Handler::onPlugMsg(const std::string& text) {
    Record("onPlugMsg(" + text + ")");
}

void Handler::Record(std::string call) {
    calls.push_back(std::move(call));
    if (then) then(calls.back());
}

PlugLibrary::PlugLibrary(const std::string& name) : name_(name) {
    const std::pair<const char*, int> all[] = {
        {"plug_create", 1},           {"plug_destroy", 1},      {"plug_setuser", 2},
        {"plug_setroom", 2},          {"plug_closegame", 1},    {"plug_sendgameconfig", 2},
        {"plug_sendgamestate", 1},    {"plug_setuserscore", 2}, {"plug_setuserstatus", 2},
        {"plug_sendexchangescore", 2}};
    for (const auto& [primitive, count] : all) {
        primitives_[primitive] = rt::Primitive::load(name, primitive, count);
    }
    const int textArgs = name == "PexmorPlug" ? 3 : 2;
    primitives_["plug_link"] = rt::Primitive::load(name, "plug_link", textArgs);
    primitives_["plug_send"] = rt::Primitive::load(name, "plug_send", textArgs);
}

void StartLoop() {
    if (ml_init() != ML_OK) throw std::runtime_error(std::string("ml_init: ") + ml_last_error());
    ml_set_dispatch_hooks([](void*) { morvick_value_scope_open(); },
                          [](void*) { morvick_value_scope_close(); }, nullptr);
}

}  // namespace plug::testing
