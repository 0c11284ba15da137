#include "plugins/core/process_manager.h"

#include "plugins/core/command_line.h"
#include "plugins/core/text_channel.h"
#include "plugins/core/utf16.h"

#include <cstring>

namespace plug {

namespace {

// A killed process is reaped by the loop right after the signal; this only bounds the wait for
// its exit code.
constexpr int kReapWaitMs = 5000;

}  // namespace

ProcessManager::Busy::Busy(ProcessManager* manager) : manager_(manager) {
    ++manager_->busy_;
}

ProcessManager::Busy::~Busy() {
    if (--manager_->busy_ == 0 && manager_->disposed_) delete manager_;
}

ProcessManager::ProcessManager(const Variant& variant) : variant_(variant) {}

ProcessManager::~ProcessManager() {
    if (process_ != nullptr) ml_process_close(process_);
}

void ProcessManager::OnOtherTimer(uintptr_t) {}

bool ProcessManager::CreateMsgWindow() {
    if (!sink_) return false;
    if (own_window_ != 0 && ml_is_window(own_window_)) return true;
    ml_hwnd window = 0;
    if (ml_create_window(&ProcessManager::MsgWndProc, this, &window) != ML_OK) return false;
    own_window_ = window;
    return true;
}

void ProcessManager::DestroyMsgWindow() {
    if (own_window_ != 0) {
        ml_destroy_window(own_window_);
        own_window_ = 0;
    }
    received_.clear();
}

bool ProcessManager::PeerAlive() const {
    return peer_window_ != 0 && ml_is_window(peer_window_);
}

void ProcessManager::ClearProcess() {
    if (process_ != nullptr) ml_process_close(process_);
    process_ = nullptr;
    process_id_ = 0;
    peer_window_ = 0;
    unlinked_ = false;
}

bool ProcessManager::LaunchGame(std::u16string_view path, std::optional<int32_t> roomType) {
    if (!CreateMsgWindow()) return false;
    if (process_ == nullptr || ml_process_wait(process_, 0) == ML_OK) {
        // A new game links afresh: the ended game's window is no peer of it.
        ClearProcess();
        const int64_t handle = static_cast<int32_t>(own_window_);
        const auto line = FormatCommandLine(path, roomType, handle);
        if (!line) return false;
        ml_process* process = nullptr;
        if (ml_process_start(Utf16ToUtf8(*line).c_str(), &process) != ML_OK) return false;
        process_ = process;
        process_id_ = ml_process_id(process);
        ml_set_timer(own_window_, kLinkTimer, kStartTimeoutMs);
        return true;
    }
    if (unlinked_) {
        // The running game of a dropped link is linked again, never started a second time.
        unlinked_ = false;
        ml_set_timer(own_window_, kLinkTimer, PeerAlive() ? variant_.linkCheckMs : kStartTimeoutMs);
    }
    if (PeerAlive()) {
        sink_->OnGameLinked(true);
        if (disposed_) return true;
        SendHeader(kLinkAck);
    }
    return true;
}

bool ProcessManager::CloseGame(bool withCallback) {
    if (own_window_ != 0) ml_kill_timer(own_window_, kLinkTimer);
    if (process_ == nullptr) return true;
    if (closing_) {
        // Closed again from a callback made during the quit request: the close under way
        // finishes the job, and reports only what both calls want.
        close_callback_ = close_callback_ && withCallback;
        return true;
    }
    closing_ = true;
    close_callback_ = withCallback;
    int waitMs = 0;
    if (PeerAlive()) {
        SendSync(kQuit, {});
        waitMs = static_cast<int>(kQuitWaitMs);
    }
    int exitCode = 0;
    if (process_ != nullptr) {
        if (ml_process_wait(process_, waitMs) != ML_OK) {
            ml_process_terminate(process_, 0);
            ml_process_wait(process_, kReapWaitMs);
        }
        ml_process_exit_code(process_, &exitCode);
        ClearProcess();
    }
    closing_ = false;
    if (close_callback_ && !disposed_ && sink_) sink_->OnGameClosed(exitCode);
    return true;
}

bool ProcessManager::ReleaseGame(bool withCallback) {
    if (own_window_ != 0) ml_kill_timer(own_window_, kLinkTimer);
    if (process_ == nullptr) return true;
    ClearProcess();
    if (withCallback && sink_) sink_->OnGameClosed(0);
    return true;
}

void ProcessManager::UnlinkGame() {
    if (own_window_ != 0) ml_kill_timer(own_window_, kLinkTimer);
    if (process_ != nullptr) unlinked_ = true;
}

bool ProcessManager::SendBlock(MessageCode code, std::span<const uint8_t> payload, uint64_t tag) {
    // The peer's liveness is the send's own check: it goes over the connection kept to the
    // game, whose hang-up or "no such window" answer fails the send, so no registry and /proc
    // lookup is made per message.
    if (own_window_ == 0 || peer_window_ == 0 || !ml_is_window(own_window_)) return false;
    const auto block = EncodeMessage(code, payload);
    if (!block) return false;
    return ml_send_copydata(peer_window_, own_window_, tag, block->data(),
                            static_cast<uint32_t>(block->size()), -1, nullptr) == ML_OK;
}

bool ProcessManager::SendHeader(MessageCode code) {
    return !unlinked_ && SendBlock(code, {}, kDataQueued);
}

bool ProcessManager::Send(MessageCode code, std::span<const uint8_t> payload) {
    return !unlinked_ && SendBlock(code, payload, kDataQueued);
}

bool ProcessManager::SendSync(MessageCode code, std::span<const uint8_t> payload) {
    return SendBlock(code, payload, kDataSync);
}

bool ProcessManager::SendTextNow(std::string_view text) {
    const auto payload = TextPayload(text, variant_.textPrefix);
    if (!payload) return false;
    return Send(kGameData, *payload);
}

intptr_t ProcessManager::MsgWndProc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                                    void* user) {
    // The last message of a window destroyed from inside its own dispatch comes after the
    // manager may have been freed: it must not be touched.
    if (msg == ML_WM_DESTROY) return 0;
    auto* manager = static_cast<ProcessManager*>(user);
    Busy busy(manager);
    switch (msg) {
        case ML_WM_COPYDATA:
            manager->OnCopyData(static_cast<ml_hwnd>(wparam),
                                reinterpret_cast<const ml_copydata*>(lparam));
            return 0;
        case ML_WM_TIMER:
            manager->OnTimer(wparam);
            return 0;
        case kQueuedMessage:
            manager->OnQueuedMessage();
            return 0;
        default:
            return ml_default_proc(hwnd, msg, wparam, lparam);
    }
}

void ProcessManager::OnCopyData(ml_hwnd sender, const ml_copydata* block) {
    if (block == nullptr || disposed_) return;
    const auto view = ParseMessage({static_cast<const uint8_t*>(block->ptr), block->size});
    if (!view) return;
    if (block->data == kDataSync) {
        DispatchGameMessage(view->code, view->payload, sender);
        return;
    }
    auto message = std::make_unique<ReceivedMessage>();
    message->sender = sender;
    message->length = static_cast<uint16_t>(view->payload.size());
    message->code = view->code;
    if (!view->payload.empty()) {
        std::memcpy(message->payload, view->payload.data(), view->payload.size());
    }
    received_.push_back(std::move(message));
    ml_post(own_window_, kQueuedMessage, 0, 0);
}

void ProcessManager::OnQueuedMessage() {
    if (received_.empty()) return;
    const std::unique_ptr<ReceivedMessage> message = std::move(received_.front());
    received_.pop_front();
    DispatchGameMessage(message->code, {message->payload, message->length}, message->sender);
}

void ProcessManager::DispatchGameMessage(MessageCode code, std::span<const uint8_t> payload,
                                         ml_hwnd sender) {
    if (!sink_ || disposed_ || unlinked_) return;
    if (peer_window_ != 0 && sender != peer_window_) return;
    if (code == kLink) {
        if (peer_window_ != 0) return;
        peer_window_ = sender;
        sink_->OnGameLinked(false);
        if (disposed_) return;
        SendHeader(kLinkAck);
        if (disposed_) return;
        if (own_window_ != 0) ml_set_timer(own_window_, kLinkTimer, variant_.linkCheckMs);
        if (variant_.linkFollowUp) SendHeader(kLinkFollowUp);
        return;
    }
    if (code == kGoodbye) {
        peer_window_ = 0;
        // During a close the quit request's own end reports; the goodbye only ends the link.
        if (!closing_) ReleaseGame(true);
        return;
    }
    sink_->OnGameMessage(code.main, code.sub, payload.data(), payload.size());
}

void ProcessManager::OnTimer(uintptr_t id) {
    if (disposed_) return;
    if (id != kLinkTimer) {
        OnOtherTimer(id);
        return;
    }
    if (process_ != nullptr && !PeerAlive()) {
        ReleaseGame(false);
        if (sink_) sink_->OnLinkTimeout();
    }
}

void ProcessManager::Dispose() {
    if (disposed_) return;
    {
        Busy busy(this);
        CloseGame(false);
        DestroyMsgWindow();
        disposed_ = true;
    }
}

}  // namespace plug
