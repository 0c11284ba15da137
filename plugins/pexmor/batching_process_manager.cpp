#include "plugins/pexmor/batching_process_manager.h"

#include "plugins/core/text_channel.h"
#include "plugins/pexmor/json_batch.h"

namespace plug {

void BatchingProcessManager::QueueText(std::string text) {
    if (own_window() == 0) return;
    send_queue_.push_back(std::move(text));
    if (!flush_armed_ && ml_set_timer(own_window(), kFlushTimer, kFlushDelayMs) == ML_OK) {
        flush_armed_ = true;
    }
}

void BatchingProcessManager::OnOtherTimer(uintptr_t id) {
    if (id == kFlushTimer && own_window() != 0) Flush();
}

void BatchingProcessManager::Flush() {
    const auto batches = DrainBatches(send_queue_, MaxTextLength(variant().textPrefix));
    flush_armed_ = false;
    ml_kill_timer(own_window(), kFlushTimer);
    for (const auto& batch : batches) {
        SendTextNow(batch);
        if (disposed()) return;
    }
}

}  // namespace plug
