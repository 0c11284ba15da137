#pragma once
// Drives one game process: starts it with a command line naming a hidden message window, takes
// its link, exchanges copy-data messages with the game's window, watches that the game stays
// alive and ends it. Runs on the loop's thread only.

#include "platform/msgloop/msgloop.h"
#include "platform/shared/no_copy.h"
#include "plugins/core/message_header.h"
#include "plugins/core/process_message_sink.h"
#include "plugins/core/variant.h"

#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace plug {

inline constexpr uintptr_t kLinkTimer = 100;
inline constexpr uint32_t kQueuedMessage = ML_WM_USER + 100;

class ProcessManager : private morvick::NoCopy {
public:
    // Keeps the manager alive while its own code is on the stack: Dispose() from inside a
    // callback then frees it when the outermost guard goes.
    class Busy : private morvick::NoCopy {
    public:
        explicit Busy(ProcessManager* manager);
        ~Busy();

    private:
        ProcessManager* manager_;
    };

    explicit ProcessManager(const Variant& variant);

    void SetSink(std::shared_ptr<IProcessMessageSink> sink) { sink_ = std::move(sink); }

    // Starts the game (or links a running one again). roomType goes on the command line when
    // given.
    bool LaunchGame(std::u16string_view path, std::optional<int32_t> roomType);
    bool CloseGame(bool withCallback);
    bool ReleaseGame(bool withCallback);
    // Drops the link but keeps the game: nothing passes between the game and the handler until
    // LaunchGame links the running game again; CloseGame still ends it.
    void UnlinkGame();

    bool SendHeader(MessageCode code);
    bool Send(MessageCode code, std::span<const uint8_t> payload);
    bool SendSync(MessageCode code, std::span<const uint8_t> payload);
    // A text behind the library's prefix as game data (1,2); refused when too long.
    bool SendTextNow(std::string_view text);

    bool CreateMsgWindow();
    void DestroyMsgWindow();

    // Closes the game without a callback, destroys the hidden window and frees the manager,
    // at once or, when its own code is on the stack, as soon as that has returned.
    void Dispose();

    ml_hwnd own_window() const { return own_window_; }
    ml_hwnd peer_window() const { return peer_window_; }
    bool holds_process() const { return process_ != nullptr; }
    bool disposed() const { return disposed_; }
    const Variant& variant() const { return variant_; }

protected:
    virtual ~ProcessManager();
    // Timers other than the link check.
    virtual void OnOtherTimer(uintptr_t id);

private:
    struct ReceivedMessage {
        ml_hwnd sender = 0;
        uint16_t length = 0;
        MessageCode code;
        uint8_t payload[kMaxPayload] = {};
    };

    static intptr_t MsgWndProc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                               void* user);
    void OnCopyData(ml_hwnd sender, const ml_copydata* block);
    void OnQueuedMessage();
    void DispatchGameMessage(MessageCode code, std::span<const uint8_t> payload, ml_hwnd sender);
    void OnTimer(uintptr_t id);
    bool SendBlock(MessageCode code, std::span<const uint8_t> payload, uint64_t tag);
    bool PeerAlive() const;
    void ClearProcess();

    Variant variant_;
    std::deque<std::unique_ptr<ReceivedMessage>> received_;
    std::shared_ptr<IProcessMessageSink> sink_;
    ml_hwnd own_window_ = 0;
    ml_hwnd peer_window_ = 0;
    ml_process* process_ = nullptr;
    int process_id_ = 0;
    bool unlinked_ = false;
    bool closing_ = false;
    bool close_callback_ = false;
    bool disposed_ = false;
    int busy_ = 0;
};

}  // namespace plug
