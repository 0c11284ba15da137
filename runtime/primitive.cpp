#include "runtime/primitive.h"

#include <dlfcn.h>

#include <cstdio>
#include <vector>

#include "runtime/builtin_primitives.h"
#include "runtime/c_value.h"
#include "runtime/exception.h"
#include "runtime/library_loader.h"
#include "runtime/value_scope.h"

namespace rt {
namespace {

using Export = void* (*)();

// Calls a native primitive: opens a value scope, hands the arguments over as `value`s, and takes
// the result back before the scope closes.
Value callNative(const std::string& label, void* address, int argCount,
                 std::span<const Value> args) {
    if (static_cast<int>(args.size()) != argCount) {
        throw Exception("Primitive " + label + " takes " + std::to_string(argCount) +
                        " arguments, called with " + std::to_string(args.size()));
    }
    ValueScope scope;
    std::vector<::value> c;
    c.reserve(args.size());
    for (const Value& a : args) c.push_back(toC(a));
    ::value r = nullptr;
    try {
        switch (argCount) {
            case 0:
                r = reinterpret_cast<::value (*)()>(address)();
                break;
            case 1:
                r = reinterpret_cast<::value (*)(::value)>(address)(c[0]);
                break;
            case 2:
                r = reinterpret_cast<::value (*)(::value, ::value)>(address)(c[0], c[1]);
                break;
            case 3:
                r = reinterpret_cast<::value (*)(::value, ::value, ::value)>(address)(c[0], c[1],
                                                                                      c[2]);
                break;
            case 4:
                r = reinterpret_cast<::value (*)(::value, ::value, ::value, ::value)>(address)(
                    c[0], c[1], c[2], c[3]);
                break;
            case 5:
                r = reinterpret_cast<::value (*)(::value, ::value, ::value, ::value, ::value)>(
                    address)(c[0], c[1], c[2], c[3], c[4]);
                break;
            default:
                r = reinterpret_cast<::value (*)(::value*, int)>(address)(c.data(), argCount);
                break;
        }
    } catch (const Exception&) {
        throw;
    } catch (const std::exception& e) {
        throw Exception("Primitive " + label + " failed: " + e.what());
    }
    return fromC(r);
}

void reportMissing(const std::string& exportName) {
    std::fprintf(stderr, "Could not find primitive %s.\n", exportName.c_str());
    std::fflush(stderr);
}

}  // namespace

Value loadPrimitive(const std::string& library, const std::string& name, int argCount) {
    if (argCount < 0)
        throw Exception("Primitive " + library + "@" + name +
                        " bound with a negative argument count");
    std::string label = library + "@" + name;
    std::string symbol = exportName(name, argCount);
    if (isBuiltinLibrary(library)) {
        if (const Function::Body* body = findBuiltinPrimitive(library, symbol))
            return Function::of(label, *body);
        reportMissing(symbol);
        return {};
    }
    void* handle = openLibrary(library, name);
    auto exported = reinterpret_cast<Export>(dlsym(handle, symbol.c_str()));
    void* address = exported ? exported() : nullptr;
    if (!address) {
        reportMissing(symbol);
        return {};
    }
    return Function::of(label, [label, address, argCount](std::span<const Value> args) {
        return callNative(label, address, argCount, args);
    });
}

Primitive Primitive::load(std::string library, std::string name, int argCount) {
    Value fn = loadPrimitive(library, name, argCount);
    return Primitive(std::move(library), std::move(name), std::move(fn));
}

void Primitive::replace(const Value& fn) {
    if (!fn.isNull() && !fn.isFunction()) {
        throw Exception("Primitive " + name_ + " can only be replaced by a function or null, not " +
                        typeName(fn.type()));
    }
    fn_ = fn;
}

Value Primitive::call(std::span<const Value> args) const {
    if (fn_.isNull()) {
        std::string what = name_.empty() ? std::string("a primitive that was never bound")
                                         : library_ + "@" + name_ + " is not bound";
        throw Exception("Null primitive called: " + what);
    }
    return fn_.call(args);
}

}  // namespace rt
