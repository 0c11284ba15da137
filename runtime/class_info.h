#pragma once

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/object.h"
#include "runtime/ref.h"
#include "runtime/value.h"

namespace rt {

// One member of a class reached by name.
struct Member {
    enum class Kind { Field, Property, Operation };

    std::string name;
    Kind kind;
    std::function<Value(Object&)> get;                // Field, Property (empty: write-only)
    std::function<Value(Object&, const Value&)> set;  // Field, Property (empty: read-only)
    std::function<Value(Object&, std::span<const Value>)> call;  // Operation
};

// One static member of a class reached by name.
struct StaticMember {
    enum class Kind { Field, Operation };

    std::string name;
    Kind kind;
    std::function<Value()> get;
    std::function<Value(const Value&)> set;
    std::function<Value(std::span<const Value>)> call;
};

// The descriptor of a class: its name ("cef.Size"), its super class, its members in declaration
// order and its statics. Made once by a ClassBuilder and then never changed; every descriptor is
// kept in one process-wide registry by name.
class ClassInfo {
public:
    using Creator = std::function<Ref<Object>(std::span<const Value>)>;

    const std::string& name() const noexcept { return name_; }
    const ClassInfo* super() const noexcept { return super_; }
    // True for this class and its subclasses.
    bool is(const ClassInfo& other) const noexcept;

    // Instance field names in declaration order, the super class's first.
    std::vector<std::string> fields() const;
    // The member of that name in this class or the nearest super class, or null.
    const Member* member(std::string_view name) const;

    // Statics of this class (not inherited). Reading an unknown static gives null; writing or
    // calling one raises.
    bool hasStatic(std::string_view name) const;
    Value getStatic(std::string_view name) const;
    Value setStatic(std::string_view name, const Value& v) const;
    Value callStatic(std::string_view name, std::span<const Value> args) const;
    Value callStatic(std::string_view name, std::initializer_list<Value> args) const {
        return callStatic(name, std::span<const Value>(args.begin(), args.size()));
    }

    // Creates an object from an argument array, running the class's construction steps.
    bool canCreate() const noexcept { return static_cast<bool>(creator_); }
    Ref<Object> create(std::span<const Value> args) const;

    // The registered class of that name, or null.
    static const ClassInfo* find(std::string_view name);
    // Creates by class name; an unknown class raises.
    static Ref<Object> createByName(std::string_view name, std::span<const Value> args);

private:
    template <class T>
    friend class ClassBuilder;

    ClassInfo(std::string name, const ClassInfo* super) : name_(std::move(name)), super_(super) {}
    // Stores a finished descriptor in the registry; a second class of one name raises.
    static const ClassInfo& registerClass(std::unique_ptr<ClassInfo> info);
    void addMember(Member m);
    void addStatic(StaticMember m);
    const StaticMember* findStatic(std::string_view name) const;

    std::string name_;
    const ClassInfo* super_;
    std::vector<Member> members_;
    std::map<std::string, size_t, std::less<>> memberIndex_;
    std::vector<StaticMember> statics_;
    std::map<std::string, size_t, std::less<>> staticIndex_;
    Creator creator_;
};

}  // namespace rt

#define RT_CONCAT_INNER(a, b) a##b
#define RT_CONCAT(a, b) RT_CONCAT_INNER(a, b)

// Registers a class by name when its library or program is loaded, so that create-by-name finds
// it before any other use.
#define RT_REGISTER_CLASS(T)                                                                  \
    [[maybe_unused]] static const ::rt::ClassInfo& RT_CONCAT(rtClassRegistration, __LINE__) = \
        T::staticClassInfo()
