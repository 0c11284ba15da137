#include "plugins/pexmor/json_batch.h"

#include <json/value.h>
#include <json/writer.h>

namespace plug {

std::vector<std::string> DrainBatches(std::deque<std::string>& queue, size_t sendLimit) {
    Json::StyledWriter writer;
    std::vector<std::string> batches;
    Json::Value batch;
    while (!queue.empty()) {
        std::string styled = writer.write(batch);
        if (styled.size() < kBatchCloseLength) {
            Json::Value grown = batch;
            grown.append(Json::Value(queue.front()));
            if (batch.isNull() || writer.write(grown).size() <= sendLimit) {
                batch = std::move(grown);
                queue.pop_front();
                continue;
            }
        }
        batches.push_back(std::move(styled));
        batch = Json::Value();
    }
    if (!batch.isNull()) batches.push_back(writer.write(batch));
    return batches;
}

}  // namespace plug
