#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace rt {

// The descriptor of an enumeration whose values carry no arguments: its full name
// ("cef.PaintElementType") and its value names by index. Kept in a process-wide registry by
// name. A C++ enumeration joins the value model by declaring, next to it,
//   const rt::EnumInfo& enumInfo(PaintElementType);
// returning EnumInfo::define(...) from a function-local static.
class EnumInfo {
public:
    // Makes and registers a descriptor; a second enumeration of one name raises.
    static const EnumInfo& define(std::string name, std::initializer_list<const char*> values);
    // The registered enumeration of that name, or null.
    static const EnumInfo* find(std::string_view name);

    const std::string& name() const noexcept { return name_; }
    // The name without its package ("PaintElementType").
    std::string_view shortName() const noexcept;
    int size() const noexcept { return static_cast<int>(values_.size()); }
    const std::vector<std::string>& values() const noexcept { return values_; }

    // Index of a value name; a name that is no value answers -1.
    int indexOf(std::string_view valueName) const;
    // Number of arguments of a value name: 0 for every value, -1 for a name that is no value.
    int argCount(std::string_view valueName) const;
    // The value of a name, null for a name that is no value.
    Value value(std::string_view valueName) const;
    // The value at an index, null outside the enumeration.
    Value value(int index) const;
    // Creates a value by name with an argument list: a name that is no value raises
    // "Invalid constructor", a non-empty list raises "Invalid Arg Count".
    Value create(std::string_view valueName, std::span<const Value> args) const;
    // "Short.NAME".
    std::string text(int index) const;

private:
    EnumInfo(std::string name, std::vector<std::string> values)
        : name_(std::move(name)), values_(std::move(values)) {}

    std::string name_;
    std::vector<std::string> values_;
};

}  // namespace rt
