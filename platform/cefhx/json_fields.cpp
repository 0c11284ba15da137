#include "platform/cefhx/json_fields.h"

namespace cefhx {
namespace {

const Json::Value& nullValue() {
    static const Json::Value null;
    return null;
}

[[noreturn]] void malformed(std::string_view key, const char* wanted) {
    throw MalformedMessage("field \"" + std::string(key) + "\" is not " + wanted);
}

// The field when present and not null; nullptr otherwise.
const Json::Value* present(const Json::Value& object, std::string_view key) {
    if (!object.isObject()) return nullptr;
    const Json::Value* v = object.find(key.data(), key.data() + key.size());
    return v && !v->isNull() ? v : nullptr;
}

}  // namespace

const Json::Value& anyField(const Json::Value& object, std::string_view key) {
    const Json::Value* v = present(object, key);
    return v ? *v : nullValue();
}

const Json::Value& objectField(const Json::Value& object, std::string_view key) {
    const Json::Value* v = present(object, key);
    if (!v || !v->isObject()) malformed(key, "an object");
    return *v;
}

std::string textField(const Json::Value& object, std::string_view key) {
    const Json::Value* v = present(object, key);
    if (!v || !v->isString()) malformed(key, "a string");
    return v->asString();
}

int intField(const Json::Value& object, std::string_view key) {
    const Json::Value* v = present(object, key);
    if (!v || !v->isInt()) malformed(key, "a 32-bit integer");
    return v->asInt();
}

const Json::Value& optionalObject(const Json::Value& object, std::string_view key) {
    const Json::Value* v = present(object, key);
    if (!v) return nullValue();
    if (!v->isObject()) malformed(key, "an object");
    return *v;
}

std::string optionalText(const Json::Value& object, std::string_view key, std::string fallback) {
    const Json::Value* v = present(object, key);
    if (!v) return fallback;
    if (!v->isString()) malformed(key, "a string");
    return v->asString();
}

int optionalInt(const Json::Value& object, std::string_view key, int fallback) {
    const Json::Value* v = present(object, key);
    if (!v) return fallback;
    if (!v->isInt()) malformed(key, "a 32-bit integer");
    return v->asInt();
}

bool optionalBool(const Json::Value& object, std::string_view key, bool fallback) {
    const Json::Value* v = present(object, key);
    if (!v) return fallback;
    if (!v->isBool()) malformed(key, "a boolean");
    return v->asBool();
}

unsigned optionalArraySize(const Json::Value& object, std::string_view key) {
    const Json::Value* v = present(object, key);
    if (!v) return 0;
    if (!v->isArray()) malformed(key, "an array");
    return v->size();
}

}  // namespace cefhx
