#pragma once

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runtime/convert.h"
#include "runtime/name_table.h"
#include "runtime/ref.h"
#include "runtime/value.h"

// How the field and argument types of the binding classes cross to and from Values, beyond the
// runtime's own conversions.
namespace rt {

// A text that may be null: null stays null, a String is taken as it is and any other value by
// its text form.
template <>
struct Convert<std::optional<std::string>> {
    static Value to(const std::optional<std::string>& s) { return s ? Value(*s) : Value(); }
    static std::optional<std::string> from(const Value& v) {
        if (v.isNull()) return std::nullopt;
        if (v.isString()) return std::string(v.str());
        return v.toString();
    }
};

// Any other value that may be absent: null stays absent.
template <class T>
struct Convert<std::optional<T>> {
    static Value to(const std::optional<T>& v) { return v ? Convert<T>::to(*v) : Value(); }
    static std::optional<T> from(const Value& v) {
        if (v.isNull()) return std::nullopt;
        return Convert<T>::from(v);
    }
};

// A list of texts: an array whose items are read as texts; null is the empty list.
template <>
struct Convert<std::vector<std::string>> {
    static Value to(const std::vector<std::string>& list) {
        Ref<Array> array = make<Array>();
        for (const std::string& item : list) array->push(item);
        return array;
    }
    static std::vector<std::string> from(const Value& v) {
        std::vector<std::string> list;
        if (v.isNull()) return list;
        Ref<Array> array = Convert<Ref<Array>>::from(v);
        for (const Value& item : array->items()) list.push_back(Convert<std::string>::from(item));
        return list;
    }
};

// A map keyed by text: an anonymous record with one field per key; null is the empty map.
template <class T>
struct Convert<std::map<std::string, T>> {
    static Value to(const std::map<std::string, T>& map) {
        Ref<Record> record = make<Record>();
        for (const auto& [key, item] : map) record->set(key, Convert<T>::to(item));
        return record;
    }
    static std::map<std::string, T> from(const Value& v) {
        std::map<std::string, T> map;
        if (v.isNull()) return map;
        Ref<Record> record = Convert<Ref<Record>>::from(v);
        for (const Record::Field& field : record->fields()) {
            map.emplace(nameOf(field.id), Convert<T>::from(field.value));
        }
        return map;
    }
};

// A flag that other threads read: by name it reads and writes as a Bool.
template <>
struct FieldAccess<std::atomic<bool>> {
    static Value get(const std::atomic<bool>& f) { return f.load(); }
    static void set(std::atomic<bool>& f, const Value& v) { f.store(v.toBool()); }
};

// A back-reference: by name it reads as its target (null once the target is gone) and writing
// keeps the new target without owning it.
template <class T>
struct FieldAccess<WeakRef<T>> {
    static Value get(const WeakRef<T>& f) { return Convert<Ref<T>>::to(f.lock()); }
    static void set(WeakRef<T>& f, const Value& v) { f = WeakRef<T>(Convert<Ref<T>>::from(v)); }
};

}  // namespace rt
