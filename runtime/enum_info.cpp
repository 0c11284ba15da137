#include "runtime/enum_info.h"

#include "runtime/exception.h"
#include "runtime/info_registry.h"

namespace rt {

const EnumInfo& EnumInfo::define(std::string name, std::initializer_list<const char*> values) {
    std::unique_ptr<EnumInfo> info(
        new EnumInfo(name, std::vector<std::string>(values.begin(), values.end())));
    const EnumInfo* kept = InfoRegistry<EnumInfo>::instance().add(name, std::move(info));
    if (kept == nullptr) throw Exception("Enumeration " + name + " is defined twice");
    return *kept;
}

const EnumInfo* EnumInfo::find(std::string_view name) {
    return InfoRegistry<EnumInfo>::instance().find(name);
}

std::string_view EnumInfo::shortName() const noexcept {
    std::string_view n = name_;
    if (auto dot = n.find_last_of('.'); dot != std::string_view::npos) n.remove_prefix(dot + 1);
    return n;
}

int EnumInfo::indexOf(std::string_view valueName) const {
    for (size_t i = 0; i < values_.size(); ++i) {
        if (values_[i] == valueName) return static_cast<int>(i);
    }
    return -1;
}

int EnumInfo::argCount(std::string_view valueName) const {
    return indexOf(valueName) >= 0 ? 0 : -1;
}

Value EnumInfo::value(std::string_view valueName) const {
    return value(indexOf(valueName));
}

Value EnumInfo::value(int index) const {
    if (index < 0 || index >= size()) return {};
    return Value::ofEnum(*this, index);
}

Value EnumInfo::create(std::string_view valueName, std::span<const Value> args) const {
    int index = indexOf(valueName);
    if (index < 0) throw Exception("Invalid constructor");
    if (!args.empty()) throw Exception("Invalid Arg Count");
    return Value::ofEnum(*this, index);
}

std::string EnumInfo::text(int index) const {
    std::string out(shortName());
    out += '.';
    if (index >= 0 && index < size()) out += values_[index];
    return out;
}

}  // namespace rt
