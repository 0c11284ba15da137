#pragma once

#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/heap_object.h"
#include "runtime/ref.h"
#include "runtime/value.h"

namespace rt {

// An anonymous record: fields by name, kept in the order they were first set.
class Record final : public HeapObject {
public:
    struct Field {
        int id;  // name identifier (see nameId)
        Value value;
    };

    Record() : HeapObject(HeapKind::Record) {}

    static Ref<Record> of(std::initializer_list<std::pair<std::string_view, Value>> fields);

    bool has(std::string_view name) const;
    bool has(int id) const;
    // Null for a missing field.
    Value get(std::string_view name) const;
    Value get(int id) const;
    void set(std::string_view name, Value v);
    void set(int id, Value v);
    bool remove(std::string_view name);

    int size() const noexcept { return static_cast<int>(fields_.size()); }
    const std::vector<Field>& fields() const noexcept { return fields_; }

private:
    // Position of the field, or -1.
    int find(int id) const;

    std::vector<Field> fields_;
};

}  // namespace rt
