#pragma once
// Queued texts leave as batches: each batch is a JSON array of texts in queue order, written
// with the styled writer.

#include <deque>
#include <string>
#include <vector>

namespace plug {

// A batch takes texts while its styled form is shorter than this many characters.
inline constexpr size_t kBatchCloseLength = 2049;

// Empties the queue into batches. A batch is closed once its styled text reaches
// kBatchCloseLength, and also before the next text would carry it past sendLimit bytes; a
// batch of one text may still pass sendLimit (the sender refuses it).
std::vector<std::string> DrainBatches(std::deque<std::string>& queue, size_t sendLimit);

}  // namespace plug
