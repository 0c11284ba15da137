#include "runtime/json.h"

#include <json/json.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "runtime/array.h"
#include "runtime/bytes.h"
#include "runtime/class_info.h"
#include "runtime/name_table.h"
#include "runtime/object.h"
#include "runtime/record.h"
#include "runtime/text_escape.h"

namespace rt {
namespace {

Value fromJson(const ::Json::Value& json) {
    switch (json.type()) {
        case ::Json::nullValue:
            return Value();
        case ::Json::booleanValue:
            return Value(json.asBool());
        case ::Json::intValue:
        case ::Json::uintValue:
            if (json.isInt()) return Value(static_cast<int32_t>(json.asInt()));
            return Value(json.asDouble());
        case ::Json::realValue:
            return Value(json.asDouble());
        case ::Json::stringValue: {
            const char* begin = nullptr;
            const char* end = nullptr;
            json.getString(&begin, &end);
            return Value(std::string_view(begin, static_cast<size_t>(end - begin)));
        }
        case ::Json::arrayValue: {
            auto array = make<Array>();
            for (const ::Json::Value& item : json) array->push(fromJson(item));
            return Value(array);
        }
        case ::Json::objectValue: {
            // Members come out sorted by name; the source offset of each value restores the
            // order of the text.
            std::vector<std::string> names = json.getMemberNames();
            std::stable_sort(names.begin(), names.end(), [&](const auto& a, const auto& b) {
                return json[a].getOffsetStart() < json[b].getOffsetStart();
            });
            auto record = make<Record>();
            for (const std::string& name : names) record->set(name, fromJson(json[name]));
            return Value(record);
        }
    }
    return Value();
}

class Writer {
public:
    std::string out;

    void write(const Value& value) {
        switch (value.type()) {
            case ValueType::Bool:
                out += value.toBool() ? "true" : "false";
                return;
            case ValueType::Int:
                out += std::to_string(value.toInt());
                return;
            case ValueType::Float:
                writeFloat(value.toFloat());
                return;
            case ValueType::String:
                writeString(value.str());
                return;
            case ValueType::Bytes:
                writeString(value.asBytes()->view());
                return;
            case ValueType::Enum:
                out += std::to_string(value.enumIndex());
                return;
            case ValueType::Array:
                writeArray(value);
                return;
            case ValueType::Record:
            case ValueType::Object:
                writeFields(value);
                return;
            default:
                out += "null";
                return;
        }
    }

private:
    // Marks a container as being written for as long as it is open.
    class Visit {
    public:
        Visit(std::vector<const HeapObject*>& open, const Value& value) : open_(open) {
            if (std::find(open.begin(), open.end(), value.heap()) != open.end()) {
                throw JsonError("Cannot write a value that contains itself as JSON");
            }
            open.push_back(value.heap());
        }
        ~Visit() { open_.pop_back(); }

    private:
        std::vector<const HeapObject*>& open_;
    };

    void writeFloat(double number) {
        if (!std::isfinite(number)) {
            out += "null";
            return;
        }
        // "-0" would read back as the integer 0.
        if (number == 0 && std::signbit(number)) {
            out += "-0.0";
            return;
        }
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
        out.append(buffer, result.ptr);
    }

    void writeString(std::string_view text) {
        static constexpr char kHex[] = "0123456789abcdef";
        out += '"';
        appendEscaped(out, text,
                      {{'"', "\\\""},
                       {'\\', "\\\\"},
                       {'\b', "\\b"},
                       {'\f', "\\f"},
                       {'\n', "\\n"},
                       {'\r', "\\r"},
                       {'\t', "\\t"}},
                      [](std::string& to, unsigned char c) {
                          to += "\\u00";
                          to += kHex[c >> 4];
                          to += kHex[c & 0x0F];
                      });
        out += '"';
    }

    void writeArray(const Value& value) {
        Visit visit(open_, value);
        const Ref<Array> array = value.asArray();
        out += '[';
        for (int i = 0; i < array->size(); ++i) {
            if (i > 0) out += ',';
            write(array->get(i));
        }
        out += ']';
    }

    void writeField(bool& first, std::string_view name, const Value& field) {
        if (field.isFunction()) return;
        if (!first) out += ',';
        first = false;
        writeString(name);
        out += ':';
        write(field);
    }

    void writeFields(const Value& value) {
        Visit visit(open_, value);
        bool first = true;
        out += '{';
        if (const Ref<Record> record = value.asRecord()) {
            for (const Record::Field& field : record->fields()) {
                writeField(first, nameText(field.id), field.value);
            }
        } else {
            for (const std::string& name : value.asObject()->classInfo().fields()) {
                writeField(first, name, value.get(name));
            }
        }
        out += '}';
    }

    std::vector<const HeapObject*> open_;
};

}  // namespace

Value Json::parse(std::string_view text) {
    ::Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["allowComments"] = false;
    builder["failIfExtra"] = true;
    builder["rejectDupKeys"] = false;
    builder["allowTrailingCommas"] = false;
    const std::unique_ptr<::Json::CharReader> reader(builder.newCharReader());
    ::Json::Value root;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) {
        while (!errors.empty() && (errors.back() == '\n' || errors.back() == ' '))
            errors.pop_back();
        throw JsonError("Could not parse JSON: " + errors);
    }
    return fromJson(root);
}

std::string Json::stringify(const Value& value) {
    Writer writer;
    writer.write(value);
    return std::move(writer.out);
}

}  // namespace rt
