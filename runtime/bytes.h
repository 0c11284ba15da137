#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/heap_object.h"
#include "runtime/ref.h"

namespace rt {

// A mutable byte array, shared by reference.
class Bytes final : public HeapObject {
public:
    Bytes() : HeapObject(HeapKind::Bytes) {}
    explicit Bytes(std::vector<uint8_t> data)
        : HeapObject(HeapKind::Bytes), data_(std::move(data)) {}

    static Ref<Bytes> of(std::string_view text) {
        return make<Bytes>(std::vector<uint8_t>(text.begin(), text.end()));
    }

    std::vector<uint8_t>& data() noexcept { return data_; }
    const std::vector<uint8_t>& data() const noexcept { return data_; }
    std::string_view view() const noexcept {
        return {reinterpret_cast<const char*>(data_.data()), data_.size()};
    }

private:
    std::vector<uint8_t> data_;
};

}  // namespace rt
