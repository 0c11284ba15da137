#pragma once

#include <string>
#include <utility>

#include "runtime/heap_object.h"

namespace rt {

// An immutable UTF-8 text shared by the Values that hold it. The bytes stay NUL-terminated and
// at one address for the object's life.
class StringData final : public HeapObject {
public:
    explicit StringData(std::string text) : HeapObject(HeapKind::String), text_(std::move(text)) {}

    const std::string& text() const noexcept { return text_; }

private:
    const std::string text_;
};

}  // namespace rt
