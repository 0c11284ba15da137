#include "runtime/record.h"

#include "runtime/name_table.h"

namespace rt {

Ref<Record> Record::of(std::initializer_list<std::pair<std::string_view, Value>> fields) {
    auto r = make<Record>();
    for (const auto& [name, value] : fields) r->set(name, value);
    return r;
}

int Record::find(int id) const {
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

bool Record::has(std::string_view name) const {
    return has(nameId(name));
}

bool Record::has(int id) const {
    return find(id) >= 0;
}

Value Record::get(std::string_view name) const {
    return get(nameId(name));
}

Value Record::get(int id) const {
    int i = find(id);
    return i >= 0 ? fields_[i].value : Value();
}

void Record::set(std::string_view name, Value v) {
    set(nameId(name), std::move(v));
}

void Record::set(int id, Value v) {
    if (int i = find(id); i >= 0) {
        fields_[i].value = std::move(v);
        return;
    }
    fields_.push_back({id, std::move(v)});
}

bool Record::remove(std::string_view name) {
    int i = find(nameId(name));
    if (i < 0) return false;
    fields_.erase(fields_.begin() + i);
    return true;
}

}  // namespace rt
