#include "runtime/class_info.h"

#include "runtime/exception.h"
#include "runtime/function.h"
#include "runtime/info_registry.h"

namespace rt {

const ClassInfo& ClassInfo::registerClass(std::unique_ptr<ClassInfo> info) {
    std::string name = info->name_;
    const ClassInfo* kept = InfoRegistry<ClassInfo>::instance().add(name, std::move(info));
    if (kept == nullptr) throw Exception("Class " + name + " is registered twice");
    return *kept;
}

const ClassInfo* ClassInfo::find(std::string_view name) {
    return InfoRegistry<ClassInfo>::instance().find(name);
}

Ref<Object> ClassInfo::createByName(std::string_view name, std::span<const Value> args) {
    const ClassInfo* info = find(name);
    if (!info) throw Exception("Class not found: " + std::string(name));
    return info->create(args);
}

bool ClassInfo::is(const ClassInfo& other) const noexcept {
    for (const ClassInfo* c = this; c; c = c->super_) {
        if (c == &other) return true;
    }
    return false;
}

std::vector<std::string> ClassInfo::fields() const {
    std::vector<std::string> out = super_ ? super_->fields() : std::vector<std::string>();
    for (const Member& m : members_) {
        if (m.kind == Member::Kind::Field) out.push_back(m.name);
    }
    return out;
}

const Member* ClassInfo::member(std::string_view name) const {
    for (const ClassInfo* c = this; c; c = c->super_) {
        if (auto it = c->memberIndex_.find(name); it != c->memberIndex_.end()) {
            return &c->members_[it->second];
        }
    }
    return nullptr;
}

void ClassInfo::addMember(Member m) {
    if (memberIndex_.count(m.name))
        throw Exception("Class " + name_ + " names member " + m.name + " twice");
    memberIndex_.emplace(m.name, members_.size());
    members_.push_back(std::move(m));
}

void ClassInfo::addStatic(StaticMember m) {
    if (staticIndex_.count(m.name))
        throw Exception("Class " + name_ + " names static " + m.name + " twice");
    staticIndex_.emplace(m.name, statics_.size());
    statics_.push_back(std::move(m));
}

const StaticMember* ClassInfo::findStatic(std::string_view name) const {
    auto it = staticIndex_.find(name);
    return it == staticIndex_.end() ? nullptr : &statics_[it->second];
}

bool ClassInfo::hasStatic(std::string_view name) const {
    return findStatic(name) != nullptr;
}

Value ClassInfo::getStatic(std::string_view name) const {
    const StaticMember* s = findStatic(name);
    if (!s) return {};
    if (s->kind == StaticMember::Kind::Field) return s->get();
    auto call = s->call;
    return Function::of(name_ + "." + s->name,
                        [call](std::span<const Value> args) { return call(args); });
}

Value ClassInfo::setStatic(std::string_view name, const Value& v) const {
    const StaticMember* s = findStatic(name);
    if (!s || s->kind != StaticMember::Kind::Field) {
        throw Exception("Class " + name_ + " has no static field " + std::string(name) +
                        " to write");
    }
    return s->set(v);
}

Value ClassInfo::callStatic(std::string_view name, std::span<const Value> args) const {
    const StaticMember* s = findStatic(name);
    if (!s) throw Exception("Class " + name_ + " has no static " + std::string(name) + " to call");
    if (s->kind == StaticMember::Kind::Operation) return s->call(args);
    Value f = s->get();
    if (!f.isFunction()) {
        throw Exception("Static " + name_ + "." + s->name + " is " + typeName(f.type()) +
                        ", not a function");
    }
    return f.call(args);
}

Ref<Object> ClassInfo::create(std::span<const Value> args) const {
    if (!creator_) throw Exception("Class " + name_ + " cannot be created by name");
    return creator_(args);
}

}  // namespace rt
