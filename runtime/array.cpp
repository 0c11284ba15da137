#include "runtime/array.h"

namespace rt {

Value Array::get(int index) const {
    if (index < 0 || index >= size()) return {};
    return items_[index];
}

void Array::set(int index, Value v) {
    if (index < 0) return;
    if (index >= size()) items_.resize(static_cast<size_t>(index) + 1);
    items_[index] = std::move(v);
}

}  // namespace rt
