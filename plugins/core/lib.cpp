#include "plugins/core/lib.h"

#include "plugins/core/host.h"
#include "plugins/core/record_reader.h"
#include "plugins/core/records.h"
#include "plugins/core/text_channel.h"

#include <algorithm>
#include <cstring>

namespace plug {

namespace {

// Plug-in handles of every library carry kind 0; the box list tells this library's apart.
const vkind kHandleKind = nullptr;

}  // namespace

class Lib::Sink final : public IProcessMessageSink {
public:
    explicit Sink(Lib& lib) : lib_(lib) {}

    bool OnLinkTimeout() override {
        return Call("onGameClose", [] { return host::alloc_int(0); });
    }

    bool OnGameClosed(int) override {
        return Call("onGameClose", [] { return host::alloc_int(0); });
    }

    bool OnGameLinked(bool relinked) override {
        const bool flag = relinked || lib_.variant().linkAlwaysRelinked;
        return Call("onPlugLink", [flag] { return host::alloc_bool(flag); });
    }

    bool OnGameMessage(uint16_t main, uint16_t sub, const uint8_t* data, size_t length) override {
        if (MessageCode{main, sub} != kGameText) return true;
        const auto text = GameText({data, length}, lib_.variant().textPrefix);
        if (!text) return true;
        return Call("onPlugMsg", [&text] {
            return host::alloc_string_len(text->data(), static_cast<int>(text->size()));
        });
    }

private:
    template <typename MakeArgument>
    bool Call(const char* member, MakeArgument make) {
        const value handler = lib_.handler();
        if (handler == nullptr) return true;
        host::val_ocall1(handler, host::val_id(member), make());
        return true;
    }

    Lib& lib_;
};

Lib::Lib(const Variant& variant, MakeManager make) : variant_(variant), make_(make) {}

ProcessManager* MakePlainManager(const Variant& variant) {
    return new ProcessManager(variant);
}

value Lib::Create(value handler) {
    handler_ = handler;
    if (!sink_) sink_ = std::make_shared<Sink>(*this);
    ProcessManager* manager = make_(variant_);
    manager->SetSink(sink_);
    auto box = std::make_unique<HandleBox>();
    box->manager = manager;
    const value handle = host::alloc_abstract(kHandleKind, box.get());
    boxes_.push_back(std::move(box));
    return handle;
}

Lib::HandleBox* Lib::Box(value handle) {
    void* data =
        host::val_to_kind(handle, kHandleKind) != nullptr ? host::val_data(handle) : nullptr;
    const auto own = std::find_if(boxes_.begin(), boxes_.end(),
                                  [data](const auto& box) { return box.get() == data; });
    if (data == nullptr || own == boxes_.end()) {
        host::hx_fail("invalid kind", __FILE__, __LINE__);
        return nullptr;
    }
    return own->get();
}

ProcessManager* Lib::Manager(value handle) {
    HandleBox* box = Box(handle);
    return box == nullptr ? nullptr : box->manager;
}

void Lib::Destroy(value handle) {
    HandleBox* box = Box(handle);
    if (box != nullptr && box->manager != nullptr) {
        ProcessManager* manager = box->manager;
        box->manager = nullptr;
        manager->Dispose();
    }
    handler_ = nullptr;
    sink_.reset();
}

value Lib::Link(value handle, value path, const std::optional<int32_t>& roomType) {
    ProcessManager* manager = Manager(handle);
    if (manager == nullptr) return host::alloc_bool(false);
    ProcessManager::Busy busy(manager);
    return host::alloc_bool(manager->LaunchGame(WideText(path), roomType));
}

void Lib::Send(value handle, value text) {
    ProcessManager* manager = Manager(handle);
    if (manager == nullptr || !IsString(text)) return;
    ProcessManager::Busy busy(manager);
    manager->SendTextNow(host::val_string(text));
}

void Lib::SendRecord(value handle, MessageCode code, const Bytes& record) {
    if (ProcessManager* manager = Manager(handle)) {
        ProcessManager::Busy busy(manager);
        manager->Send(code, record);
    }
}

void Lib::SetUser(value handle, value user) {
    if (Manager(handle) == nullptr || !IsObject(user)) return;
    SendRecord(handle, kUser, BuildUserRecord(ReadUserInfo(user), variant_.userFixedLength));
}

void Lib::SetRoom(value handle, value room) {
    if (Manager(handle) == nullptr || !IsObject(room)) return;
    SendRecord(handle, kRoom, BuildRoomRecord(ReadRoomInfo(room)));
}

}  // namespace plug
