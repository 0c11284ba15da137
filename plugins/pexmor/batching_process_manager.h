#pragma once
// The process manager of PexmorPlug: texts that need not leave at once wait in a send queue and
// go out every 100 ms as JSON batches.

#include "plugins/core/process_manager.h"

#include <deque>
#include <string>

namespace plug {

inline constexpr uintptr_t kFlushTimer = 101;
inline constexpr uint32_t kFlushDelayMs = 100;

class BatchingProcessManager : public ProcessManager {
public:
    using ProcessManager::ProcessManager;

    // Appends the text to the send queue and arms the flush. Without the hidden window no game
    // can be linked, so the text is dropped like any text sent before the link.
    void QueueText(std::string text);

    size_t queued() const { return send_queue_.size(); }

protected:
    void OnOtherTimer(uintptr_t id) override;

private:
    void Flush();

    std::deque<std::string> send_queue_;
    bool flush_armed_ = false;
};

}  // namespace plug
